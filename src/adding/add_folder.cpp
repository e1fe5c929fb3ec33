#include "adding/add_folder.h"

#include "adding/normalize_backslashes.h"
#include "base/runtime_error.h"
#include "base/utf8.h"
#include "core/error_trap.h"
#include "engine/directory_walker.h"
#include "lists/row_list.h"
#include "platform/directory.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "posix/file_queries.h"

#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace AddFolder {

namespace {

// Folder reads mostly wait on the disk, so the pool is sized for that rather than for cores.
const engine::DirectoryWalker::Options kWalkerOptions{12, 512};
// How long a wait for a folder's reading lasts before the window gets a wait round.
constexpr std::chrono::milliseconds kWaitSlice{10};

// A folder in the list is a root when nothing but separators remain.
bool isRoot(std::string_view folder)
{
    return !folder.empty() && folder.find_first_not_of('/') == std::string_view::npos;
}

// Folders whose value is exactly directory, hidden and system (with or without a reparse
// point) are neither descended into nor listed, unless they are a root.
bool mayDescend(const std::string& folder, const FileSystem::FolderHandles& parents)
{
    constexpr int kSystemFolder = posix::Directory | posix::Hidden | posix::System;
    if (isRoot(folder)) return true;
    const FileSystem::FolderHandles::Reach from = parents.reach(folder);
    const int value = FileSystem::attributesAt(from.dirFd, from.path);
    return value != kSystemFolder && value != (kSystemFolder | posix::ReparsePoint);
}

bool isFolder(const std::string& folder, const FileSystem::FolderHandles& parents)
{
    const FileSystem::FolderHandles::Reach from = parents.reach(folder);
    return posix::isFolderAt(from.dirFd, from.path);
}

bool isUnsafeCode(int code)
{
    return code < 32 || (code >= 127 && code <= 159) || code == '?';
}

} // namespace

QStringList ListFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    QByteArray native = FileSystem::nativePath(folder);
    if (!native.endsWith('/')) native += '/';
    if (native.contains('\0')) return names;
    FileSystem::forEachFile(native.constData(), FileSystem::NamePattern(pattern),
                            [&](int, const char* name) { names << QString::fromUtf8(name); });
    return names;
}

namespace {

// A NUL inside would name another, shorter path.
bool namesSomething(std::string_view nativePath)
{
    return !nativePath.empty() && nativePath.find('\0') == std::string_view::npos;
}

} // namespace

bool FileExistsByOpen(std::string_view nativePath)
{
    return namesSomething(nativePath) &&
           posix::fileExistsAt(AT_FDCWD, std::string(nativePath).c_str());
}

bool PathIsFolder(std::string_view nativePath)
{
    return namesSomething(nativePath) &&
           posix::isFolderAt(AT_FDCWD, std::string(nativePath).c_str());
}

bool HasUnsafeCharacters(std::string_view name)
{
    for (std::size_t i = 0; i < name.size();) {
        const int code = Utf8::decode(name, i);
        if (code < 0 || isUnsafeCode(code)) return true;
    }
    return false;
}

// The folders a path runs through, nearest first, each by its device and inode: shared by every
// folder below, so a deep chain costs one link a level.
struct SubFolderCollector::Ancestry
{
    dev_t device;
    ino_t inode;
    std::shared_ptr<const Ancestry> up;

    static bool holds(const Ancestry* at, dev_t device, ino_t inode)
    {
        for (; at; at = at->up.get())
            if (at->device == device && at->inode == inode) return true;
        return false;
    }
};

// One entry of a folder list, with what its checks answered. Each check is made once for a
// folder, however many levels of the collection hand the folder on afterwards.
struct SubFolderCollector::Folder
{
    explicit Folder(std::string text, std::shared_ptr<const Ancestry> above = {})
        : path(std::move(text)), above(std::move(above))
    {
    }

    std::string path;
    std::shared_ptr<const Ancestry> above; // the folders its path runs through
    std::optional<bool> isFolder;          // lines 104 and 122
    std::optional<bool> mayDescend;        // lines 110 and 126
    bool dropped = false;                  // could not be read: leaves the list when its level ends
};

namespace {

// The listing errors that mean the folder cannot be read at all: no access, or it is gone.
bool isUnreadable(int error)
{
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

// The process file system shows every process's root, working folder and open folders as links
// to them. Followed, they lead a scan of /proc over the whole file system and into other
// processes' trees, so there links are followed only as far as they stay in /proc.
bool leadsOutOfProcessFiles(const engine::FolderListing& listing, const engine::EntryInfo& entry)
{
    return entry.isLink && listing.inProcessFiles && entry.device != listing.device;
}

} // namespace

SubFolderCollector::SubFolderCollector(ErrorReporter& errors, EventPump& events)
    : errors_(errors), events_(events), parents_(std::make_unique<FileSystem::FolderHandles>())
{
}

SubFolderCollector::~SubFolderCollector() = default;

// Marks the first entry still in the list whose text is the entry's at, as the list would lose
// it. Only the list a scan starts with can hold a text twice: every folder collected below it
// adds its own name to a parent's text that is itself unique.
void SubFolderCollector::dropFirst(std::vector<Folder>& folders, std::size_t at, bool textsUnique)
{
    for (std::size_t first = textsUnique ? at : 0; first <= at; ++first) {
        if (folders[first].dropped || folders[first].path != folders[at].path) continue;
        folders[first].dropped = true;
        return;
    }
}

void SubFolderCollector::drop(std::vector<Folder>& folders, std::size_t at, bool textsUnique,
                              int error)
{
    dropFirst(folders, at, textsUnique);
    if (!onUnreadable) return;
    std::string_view path = folders[at].path;
    if (path.size() > 1) path.remove_suffix(1); // the trailing separator
    onUnreadable(path, error);
}

// /proc shows each process's folders by many roads (its own number, self, every thread), and
// the scan's own open folders besides: there each folder is collected once, or the roads
// multiply without end.
bool SubFolderCollector::firstInProcessFiles(const engine::FolderListing& listing,
                                             const engine::EntryInfo& entry)
{
    return !listing.inProcessFiles || processFolders_.emplace(entry.device, entry.inode).second;
}

std::shared_ptr<const SubFolderCollector::Ancestry>
SubFolderCollector::ancestryOf(const std::string& start)
{
    // A folder above the start holds the start: a link up to one would take the scan round its
    // own tree again and out into the rest of the file system.
    const auto chain = FileSystem::folderAndAncestors(start.c_str());
    std::shared_ptr<const Ancestry> above;
    for (auto at = chain.rbegin(); at != chain.rend(); ++at)
        above = std::make_shared<const Ancestry>(Ancestry{at->first, at->second, above});
    return above;
}

engine::FolderListing SubFolderCollector::take(const std::string& folder)
{
    engine::FolderListing listing;
    while (walker_) {
        const auto taken =
            takeWithWaitRounds(events_, [&] { return walker_->takeFor(listing, kWaitSlice); });
        if (taken == engine::DirectoryWalker::Take::Ready && listing.path == folder) return listing;
        // Out of step with the folders asked for: read the rest here, in order, as before.
        walker_.reset();
    }
    return engine::readFolder(folder);
}

void SubFolderCollector::GetSubDirectories2016(FolderList& folders, bool recursive)
{
    std::vector<Folder> entries;
    entries.reserve(folders.size());
    for (std::string& folder : folders) {
        auto above = ancestryOf(folder);
        entries.emplace_back(std::move(folder), std::move(above));
    }
    // The reading threads start here and stop when the collection ends, also when it unwinds.
    const auto end = qScopeGuard([&] {
        walker_.reset();
        folders.clear();
        for (Folder& folder : entries)
            folders.push_back(std::move(folder.path));
    });
    startReading(entries);
    collect(entries, recursive, false);
}

void SubFolderCollector::collect(std::vector<Folder>& folders, bool recursive, bool textsUnique)
{
    ErrorTrap trap(errors_, QStringLiteral("AddFolder"), QStringLiteral("GetSubDirectories2016"),
                   QStringLiteral("Pemberloft2021/08/31"));
    std::vector<Folder> newFolders; // 100

    // 102: the entries as they were; an unreadable one is marked and leaves the list at the end.
    const std::size_t entries = folders.size();
    for (std::size_t at = 0; at < entries; ++at) {
        Folder& folder = folders[at];
        // Every queued folder is taken, read or not, so the rest stay in step.
        const auto taken = [&](bool used = false) {
            engine::FolderListing listing = take(folder.path);
            if (onListing) onListing(listing, used);
            return listing;
        };
        folder.isFolder = trap.test(104, [&] { return isFolder(folder.path, *parents_); });
        if (!*folder.isFolder) {
            taken();
            continue;
        }
        if (folder.path.size() >= PATH_MAX) { // 106
            taken();
            continue;
        }
        trap.line(108, [&] { events_.processPendingEvents(); });
        // A value that cannot be read lets the listing try.
        folder.mayDescend = trap.test(110, [&] { return mayDescend(folder.path, *parents_); });
        if (!*folder.mayDescend) {
            taken();
            continue;
        }

        // 112: the sub-folders, in the order the file system gave them. A folder that cannot
        // be read, whether it fails to open or to list, leaves the list with its files; any
        // other failure ends its listing and it stays. Neither is reported.
        const engine::FolderListing listing = taken(true);
        if (const int error = listing.openError) {
            if (isUnreadable(error)) drop(folders, at, textsUnique, error);
            continue;
        }
        // Only a folder its own path already runs through would lead round a loop; any other is
        // collected each time a path reaches it.
        std::shared_ptr<const Ancestry> here = folder.above;
        if (listing.device != 0 || listing.inode != 0) {
            here = std::make_shared<const Ancestry>(
                Ancestry{listing.device, listing.inode, folder.above});
            if (listing.inProcessFiles) processFolders_.emplace(listing.device, listing.inode);
        }
        std::optional<int> handle; // opened with the first sub-folder
        for (const engine::DirEntry& entry : listing.entries) {
            if (entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN) continue;
            trap.line(114, [&] { events_.processPendingEvents(); });
            const std::string_view name(entry.name);
            if (name.size() >= PATH_MAX || HasUnsafeCharacters(name)) continue;
            // A folder's entry always carries what a stat that follows links said.
            if (!entry.isFolder() || leadsOutOfProcessFiles(listing, *entry.info) ||
                Ancestry::holds(here.get(), entry.info->device, entry.info->inode) ||
                !firstInProcessFiles(listing, *entry.info))
                continue;
            std::string subFolder;
            subFolder.reserve(folder.path.size() + name.size() + 1);
            subFolder.append(folder.path).append(name).push_back('/');
            if (!handle) handle = parents_->open(folder.path);
            if (walker_) walker_->submit(subFolder, *handle);
            newFolders.emplace_back(std::move(subFolder), here);
        }
        if (isUnreadable(listing.readError)) drop(folders, at, textsUnique, listing.readError);
    }
    std::erase_if(folders, [](const Folder& folder) { return folder.dropped; });

    if (recursive && !newFolders.empty()) // 116
        trap.line(118, [&] { collect(newFolders, true, true); });

    // 120: a folder collected on a deeper level was checked there, and keeps its answers.
    for (Folder& folder : newFolders) {
        folder.isFolder = trap.test(122, [&] {
            return folder.isFolder ? *folder.isFolder : isFolder(folder.path, *parents_);
        });
        if (!*folder.isFolder) continue;
        trap.line(124, [&] { events_.processPendingEvents(); });
        folder.mayDescend = trap.test(126, [&] {
            return folder.mayDescend ? *folder.mayDescend : mayDescend(folder.path, *parents_);
        });
        if (*folder.mayDescend) trap.line(128, [&] { folders.push_back(std::move(folder)); });
    }
}

void SubFolderCollector::startReading(const std::vector<Folder>& folders)
{
    try {
        walker_ = std::make_unique<engine::DirectoryWalker>(kWalkerOptions);
        for (const Folder& folder : folders)
            walker_->submit(folder.path);
    } catch (const std::exception&) {
        walker_.reset(); // no threads to be had: the folders are read here, one by one
    }
}

namespace {

// The files `names` (each ending in a NUL) of `folder` (no trailing separator) as rows.
void addNames(RowList& list, std::string_view folder, std::string_view names, std::string& path)
{
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = names.find('\0', at);
        path.assign(folder).append(1, '/').append(names.substr(at, end - at));
        NormalizeBackslashesInPlace(path);
        list.addUtf8(path);
        at = end + 1;
    }
}

// The files of each folder the scan read, kept from the one reading of the folder: only the
// names the scan will add, packed one after another, each ending in a NUL.
class KeptFiles
{
public:
    explicit KeptFiles(const FileSystem::NamePattern& pattern) : pattern_(pattern) {}

    // `used`: the scan took the folder's listing for its sub-folders, so its files count as
    // found.
    void keep(const engine::FolderListing& listing, bool used = false)
    {
        Folder& kept = folders_.emplace_back();
        kept.path = listing.path;
        kept.used = used;
        for (const engine::DirEntry& entry : listing.entries) {
            if (entry.type == DT_DIR || !pattern_.matches(entry.name.c_str())) continue;
            if (!entry.existsAsNonFolder() || entry.name[0] == '~') continue;
            if (isWritableDotFile(entry)) continue;
            kept.names.append(entry.name).push_back('\0');
            if (used) ++found_;
        }
        if (used) ++foldersRead_;
    }

    qint64 found() const { return found_; }
    qint64 foldersRead() const { return foldersRead_; }

    // Stopped while the folders were read: the files found so far go in, in reading order,
    // which is the order the whole scan would have added them in.
    void addFound(RowList& list, std::string& path)
    {
        for (Folder& folder : folders_) {
            if (!folder.used) continue;
            folder.path.pop_back(); // the trailing separator
            addNames(list, folder.path, folder.names, path);
        }
    }

    // The names kept for a folder of the final list, handed over. That list keeps the reading
    // order, so the search goes on from the last folder found.
    std::string takeNames(const std::string& folder)
    {
        for (std::size_t at = next_; at < folders_.size(); ++at) {
            if (folders_[at].path != folder) continue;
            next_ = at + 1;
            std::string().swap(folders_[at].path);
            return std::move(folders_[at].names);
        }
        // Never read during the collection: read it now.
        keep(engine::readFolder(folder));
        std::string names = std::move(folders_.back().names);
        folders_.pop_back();
        return names;
    }

private:
    struct Folder
    {
        std::string path;
        std::string names;
        bool used = false;
    };

    // Only a dot-file can read exactly hidden plus archive: a writable regular file, no link.
    // A value that could not be read lets the row in.
    static bool isWritableDotFile(const engine::DirEntry& entry)
    {
        if (entry.name[0] != '.' || !entry.info || entry.info->error != 0) return false;
        const mode_t own = entry.info->isLink ? S_IFLNK : entry.info->mode;
        return posix::attributeValue(entry.name, own, entry.info->mode, entry.info->writable) ==
               (posix::Hidden | posix::Archive);
    }

    const FileSystem::NamePattern& pattern_;
    std::vector<Folder> folders_;
    std::size_t next_ = 0;
    qint64 found_ = 0;
    qint64 foldersRead_ = 0;
};

} // namespace

void AddFolderTreeFiles(RowList& list, const QString& folder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events)
{
    const QByteArray native = FileSystem::nativePath(folder);
    AddFolderTreeFiles(list, std::string_view(native.constData(), std::size_t(native.size())),
                       pattern, errors, events);
}

void AddFolderTreeFiles(RowList& list, std::string_view nativeFolder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events,
                        const UnreadableFolder& unreadable)
{
    FolderList folders{std::string(nativeFolder) + '/'};
    const FileSystem::NamePattern namePattern(pattern);
    KeptFiles files(namePattern);
    Progress& progress = events.progress();
    const Progress::Stage stage(progress, Progress::Work::Scanning, Progress::Place::FileList);
    std::string path;
    {
        SubFolderCollector collector(errors, events);
        collector.onUnreadable = unreadable;
        collector.onListing = [&](const engine::FolderListing& listing, bool used) {
            files.keep(listing, used);
            progress.setFolders(files.foldersRead());
            progress.setDone(files.found());
        };
        try {
            collector.GetSubDirectories2016(folders, true);
        } catch (const CommandStopped&) {
            files.addFound(list, path);
            throw;
        }
    }

    for (std::string& entry : folders) {
        events.processWaitRound();
        const std::string names = files.takeNames(entry);
        entry.pop_back(); // the trailing separator
        addNames(list, entry, names, path);
    }
}

} // namespace AddFolder
