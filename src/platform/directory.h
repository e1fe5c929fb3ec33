#pragma once

#include "platform/unique_fd.h"
#include "posix/file_queries.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>
#include <utility>
#include <vector>

// POSIX directory reading for the scans: entries in the order the file system gives them, with
// their types taken from the directory entry rather than an extra call per file.
namespace FileSystem {

// The identities of a folder and of every folder above it, repeats and all: those its path
// names on the way down (links followed) and those it really lies in, up to the root.
std::vector<std::pair<dev_t, ino_t>> folderAndAncestors(const char* folder);

// Handles on the folders opened last, so that what lies just below them is reached in one
// step rather than by its whole path, which the system walks name by name again each time.
// Paths end in a separator.
class FolderHandles
{
public:
    explicit FolderHandles(std::size_t capacity = 64) : capacity_(capacity) {}

    // Where a path is reached from: a kept handle on its parent and the rest of the path (the
    // name and its separator), or AT_FDCWD and the whole path.
    struct Reach
    {
        int dirFd;
        const char* path;
    };
    Reach reach(const std::string& path) const;

    // Opens a handle on the folder (through its parent's where that is kept) and keeps it,
    // forgetting the oldest beyond the capacity. The handle, or -1 when it cannot be opened.
    int open(const std::string& folder);

private:
    struct Hash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>{}(text);
        }
    };

    std::size_t capacity_;
    std::unordered_map<std::string, UniqueFd, Hash, std::equal_to<>> kept_;
    std::deque<std::string_view> order_; // the keys of kept_, oldest first
};

// A classic wildcard pattern: only "*" and "?" are wildcards, letter case is ignored, and "*.*"
// or "*" matches every name.
class NamePattern
{
public:
    explicit NamePattern(const QString& pattern);
    bool matches(const char* name) const;

private:
    bool everyName_;
    QByteArray native_; // fnmatch's own brackets and escapes made literal
};

// Calls visit(dirFd, name) for each entry of a folder that its entry does not call a folder,
// that matches the pattern and that passes FileExistsByOpen, in directory order. Returns false
// when the folder cannot be opened.
template <typename Visit>
bool forEachFile(const char* folder, const NamePattern& pattern, Visit&& visit)
{
    posix::FolderReader reader(AT_FDCWD, folder);
    if (!reader.isOpen()) return false;
    while (const dirent* entry = reader.next()) {
        if (entry->d_type == DT_DIR || !pattern.matches(entry->d_name)) continue;
        if (!posix::fileExistsAt(reader.fd(), entry->d_name)) continue;
        visit(reader.fd(), entry->d_name);
    }
    return true;
}

} // namespace FileSystem
