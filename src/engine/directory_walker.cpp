#include "engine/directory_walker.h"

#include "engine/thread_sleeps.h"
#include "posix/file_queries.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace engine {

namespace {

// A regular file or any other non-folder by d_type exists once its folder may be searched;
// everything else needs a stat. Dot-files need one for their attribute value.
bool needsInfo(unsigned char type, const char* name, bool searchable)
{
    return !searchable || type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN || name[0] == '.';
}

void fill(EntryInfo& info, int dirFd, const char* name, const struct stat& target)
{
    info.mode = target.st_mode;
    info.device = target.st_dev;
    info.inode = target.st_ino;
    info.writable = posix::isWritable(dirFd, name, target.st_mode);
}

EntryInfo describe(int dirFd, const char* name, unsigned char type)
{
    EntryInfo info;
    info.isLink = type == DT_LNK;
    if (type == DT_UNKNOWN) {
        struct stat own = {};
        if (::fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) {
            info.error = errno;
            return info;
        }
        info.isLink = S_ISLNK(own.st_mode);
        if (!info.isLink) { // nothing to follow: one call is enough
            fill(info, dirFd, name, own);
            return info;
        }
    }
    struct stat target = {};
    if (::fstatat(dirFd, name, &target, 0) != 0) {
        info.error = errno;
        return info;
    }
    fill(info, dirFd, name, target);
    return info;
}

} // namespace

bool DirEntry::isFolder() const
{
    if (info) return info->error == 0 && S_ISDIR(info->mode);
    return type == DT_DIR;
}

bool DirEntry::existsAsNonFolder() const
{
    if (info) return info->error == 0 && !S_ISDIR(info->mode);
    return type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN;
}

FolderListing readFolder(const std::string& folder, const std::atomic<bool>* stop, int parentFd)
{
    FolderListing listing;
    listing.path = folder;
    // Through the parent: the folder's own name, with the separator that ends it.
    const char* path = folder.c_str();
    if (parentFd >= 0) {
        const std::size_t end = folder.find_last_not_of('/');
        const std::size_t slash = end == std::string::npos ? end : folder.rfind('/', end);
        if (slash != std::string::npos)
            path += slash + 1;
        else
            parentFd = -1;
    }
    posix::FolderReader reader(parentFd >= 0 ? parentFd : AT_FDCWD, path);
    if (!reader.isOpen()) {
        listing.openError = reader.openError();
        return listing;
    }
    const int fd = reader.fd();
    struct stat self = {};
    if (::fstat(fd, &self) == 0) {
        listing.device = self.st_dev;
        listing.inode = self.st_ino;
    }
    struct statfs system = {};
    listing.inProcessFiles = ::fstatfs(fd, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
    // A folder that may be read but not searched lists names whose files cannot be reached.
    listing.searchable = ::faccessat(fd, ".", X_OK, AT_EACCESS) == 0;

    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) break;
        const dirent* found = reader.next();
        if (!found) {
            listing.readError = reader.readError();
            break;
        }
        DirEntry& entry = listing.entries.emplace_back();
        entry.name = found->d_name;
        entry.type = found->d_type;
        if (needsInfo(found->d_type, found->d_name, listing.searchable))
            entry.info = describe(fd, found->d_name, found->d_type);
    }
    return listing;
}

DirectoryWalker::DirectoryWalker() : DirectoryWalker(Options{}) {}

DirectoryWalker::DirectoryWalker(Options options, Reader reader)
    : options_{std::max(options.threads, 1u), std::max<std::size_t>(options.lookahead, 1),
               options.handles,
               std::min(std::max(options.threads, 1u),
                        options.cpuBoundThreads != 0
                            ? options.cpuBoundThreads
                            : std::max(std::thread::hardware_concurrency(), 1u) + 1)},
      read_(reader ? std::move(reader) : Reader(readFolder)), allowed_(options_.cpuBoundThreads)
{
    try {
        workers_.reserve(options_.threads);
        // The others start only when reads wait: idle threads woken in vain cost more than the
        // folders they would read.
        for (unsigned i = 0; i < options_.cpuBoundThreads; ++i)
            workers_.emplace_back([this] { work(); });
    } catch (...) {
        cancel();
        throw;
    }
}

void DirectoryWalker::spawnAll()
{
    const std::lock_guard join(joinMutex_);
    try {
        while (workers_.size() < options_.threads)
            workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // No more threads to be had: those running go on with the work.
    }
}

DirectoryWalker::~DirectoryWalker()
{
    cancel();
}

bool DirectoryWalker::claimable() const
{
    return reading_ < allowed_ && nextToClaim_ < taken_ + slots_.size() &&
           nextToClaim_ < taken_ + options_.lookahead;
}

void DirectoryWalker::submit(std::string folder, int parentFd)
{
    {
        const std::lock_guard lock(mutex_);
        if (cancelled_) return;
        Slot& slot = slots_.emplace_back();
        slot.folder = std::move(folder);
        if (parentFd >= 0 && handles_ < options_.handles) {
            slot.parentFd = ::fcntl(parentFd, F_DUPFD_CLOEXEC, 0);
            if (slot.parentFd >= 0) ++handles_;
        }
        if (!claimable()) return;
    }
    workAvailable_.notify_one();
}

void DirectoryWalker::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        workAvailable_.wait(lock, [this] { return cancelled_ || claimable(); });
        if (cancelled_) return;
        const std::size_t ticket = nextToClaim_++;
        ++reading_;
        const std::string folder = slots_[ticket - taken_].folder;
        const int parentFd = std::exchange(slots_[ticket - taken_].parentFd, -1);
        lock.unlock();
        const long sleepsBefore = sleepsSoFar();
        FolderListing listing;
        try {
            listing = read_(folder, &stopping_, parentFd);
        } catch (const std::bad_alloc&) {
            // A thread must not end the program; the consumer reports it like any read error.
            listing = FolderListing{};
            listing.path = folder;
            listing.openError = ENOMEM;
        }
        if (parentFd >= 0) ::close(parentFd);
        // Even one sleep in a read is a disk or a network answering, not the memory.
        const bool waited = sleepsSoFar() > sleepsBefore;
        lock.lock();
        if (parentFd >= 0) --handles_;
        --reading_;
        if (cancelled_) return;
        // Reads that wait call in every thread; reads that do not are better left to a few.
        const unsigned allowed = waited ? options_.threads : options_.cpuBoundThreads;
        if (allowed > allowed_) {
            if (workers_.size() < options_.threads) spawnAll();
            workAvailable_.notify_all();
        }
        allowed_ = allowed;
        // The consumer never passes a slot that is not ready, so the ticket is still held.
        Slot& slot = slots_[ticket - taken_];
        slot.listing = std::move(listing);
        slot.ready = true;
        if (ticket == taken_) listingReady_.notify_one();
    }
}

DirectoryWalker::Take DirectoryWalker::takeFor(FolderListing& out,
                                               std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    const auto done = [this] { return cancelled_ || slots_.front().ready; };
    if (cancelled_ || slots_.empty()) return Take::Ended;
    if (!listingReady_.wait_until(lock, deadline, done)) return Take::TimedOut;
    if (cancelled_) return Take::Ended;
    out = std::move(slots_.front().listing);
    slots_.pop_front();
    ++taken_;
    const bool more = claimable();
    lock.unlock();
    if (more) workAvailable_.notify_one();
    return Take::Ready;
}

void DirectoryWalker::cancel()
{
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        stopping_.store(true, std::memory_order_relaxed);
    }
    workAvailable_.notify_all();
    listingReady_.notify_all();
    {
        const std::lock_guard join(joinMutex_);
        for (std::thread& worker : workers_)
            if (worker.joinable()) worker.join();
    }
    const std::lock_guard lock(mutex_);
    for (Slot& slot : slots_)
        if (slot.parentFd >= 0) ::close(std::exchange(slot.parentFd, -1));
    slots_.clear();
    handles_ = 0;
}

} // namespace engine
