#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace engine {

// What a stat that follows links said about one directory entry.
struct EntryInfo
{
    int error = 0;       // errno of that stat; 0 when it succeeded
    bool isLink = false; // the entry itself is a symbolic link
    mode_t mode = 0;     // kind and permissions of what the entry names
    dev_t device = 0;    // with inode: tells a folder reached twice
    ino_t inode = 0;
    bool writable = false; // a write bit is set and this user may write it
};

struct DirEntry
{
    std::string name;       // raw bytes, never "." or ".."
    unsigned char type = 0; // d_type
    std::optional<EntryInfo> info;

    // True when the entry names a folder (links followed).
    bool isFolder() const;
    // True when the entry names something that exists and is not a folder (links followed).
    bool existsAsNonFolder() const;
};

// One folder as the directory gave it, in directory order. Info is present exactly for the
// entries whose type the directory does not answer (links, unknown types), for folders (which
// need device and inode), for names starting with "." (which need mode and writability), and
// for every entry of a folder that cannot be searched (where it carries the stat's error).
struct FolderListing
{
    std::string path;       // as submitted
    int openError = 0;      // errno when the folder could not be opened; then no entries
    int readError = 0;      // errno when reading stopped part way; entries hold what was read
    bool searchable = true; // entries can be reached through the folder
    dev_t device = 0;       // the folder's own identity, when it was opened
    ino_t inode = 0;
    bool inProcessFiles = false; // the folder lies in the process file system (/proc)
    std::vector<DirEntry> entries;
};

// Reads folders on a pool of threads, ahead of a consumer that takes the listings one by one
// in the order it submitted the folders. Submitting and taking belong to one consumer thread;
// cancel may come from any thread.
class DirectoryWalker
{
public:
    struct Options
    {
        // Threads wait on the disk far more than they compute, so more than the cores.
        unsigned threads = 12;
        // Folders read ahead of the one the consumer waits for; bounds the memory held.
        std::size_t lookahead = 512;
        // Parent handles kept for queued folders at most; the rest go by their paths.
        std::size_t handles = 128;
        // Threads at work while folders are read from memory: beyond the cores they only take
        // turns. The rest join in while reads wait on a disk or a network (0: cores + 1).
        unsigned cpuBoundThreads = 0;
    };

    // How a worker reads one folder: readFolder, but for tests.
    using Reader = std::function<FolderListing(const std::string& folder,
                                               const std::atomic<bool>* stop, int parentFd)>;

    enum class Take { Ready, TimedOut, Ended };

    DirectoryWalker();
    explicit DirectoryWalker(Options options, Reader reader = {});
    // Cancels and joins the workers.
    ~DirectoryWalker();
    DirectoryWalker(const DirectoryWalker&) = delete;
    DirectoryWalker& operator=(const DirectoryWalker&) = delete;

    // Queues a folder (a native path) to be read after those submitted before it. Given an open
    // handle on the folder's parent, the walker may open the folder through it rather than
    // walk the whole path again; it keeps a copy of the handle, a bounded number at a time.
    void submit(std::string folder, int parentFd = -1);

    // The listing of the earliest submitted folder not yet taken, waiting at most timeout.
    // Ended when every submitted folder was taken or the walker was cancelled; TimedOut leaves
    // out unchanged.
    Take takeFor(FolderListing& out, std::chrono::milliseconds timeout);

    // Stops the workers and joins them: no worker runs afterwards. Listings not yet taken
    // are dropped. May be called more than once.
    void cancel();

private:
    struct Slot
    {
        std::string folder;
        int parentFd = -1; // the walker's own copy, until a worker has opened the folder
        bool ready = false;
        FolderListing listing;
    };

    void work();
    bool claimable() const;
    // Starts the workers not started yet, as far as threads can be had; with the lock held.
    void spawnAll();

    const Options options_;
    const Reader read_;
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable listingReady_;
    std::deque<Slot> slots_;      // slots_[0] holds ticket taken_, the next to take
    std::size_t taken_ = 0;       // tickets count submissions from 0
    std::size_t nextToClaim_ = 0; // the earliest ticket no worker has started
    std::size_t handles_ = 0;     // parent handles held by slots
    unsigned reading_ = 0;        // folders being read now
    unsigned allowed_ = 0;        // folders that may be read at once
    bool cancelled_ = false;
    std::atomic<bool> stopping_{false}; // read by workers mid-folder, without the lock

    std::mutex joinMutex_;
    std::vector<std::thread> workers_;
};

// Reads one folder the way the walker's workers do, opened through the handle on its parent
// when one is given. Stops early, with whatever was read, once *stop turns true.
FolderListing readFolder(const std::string& folder, const std::atomic<bool>* stop = nullptr,
                         int parentFd = -1);

} // namespace engine
