#include "platform/directory.h"

#include "base/runtime_error.h"
#include "platform/file_system.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>

namespace FileSystem {

namespace {

// The device and inode of the folder a path names, links followed; false for anything else.
bool folderIdentityAt(int dirFd, const char* path, dev_t& device, ino_t& inode)
{
    struct stat info = {};
    if (::fstatat(dirFd, path, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

} // namespace

std::vector<std::pair<dev_t, ino_t>> folderAndAncestors(const char* folder)
{
    std::vector<std::pair<dev_t, ino_t>> found;
    dev_t device = 0;
    ino_t inode = 0;
    // The folders the path names on its way down ("/", "/a/", "/a/b/" ...), links followed.
    const std::string path = folder;
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        if (folderIdentityAt(AT_FDCWD, path.substr(0, slash + 1).c_str(), device, inode))
            found.emplace_back(device, inode);
    // The folders it really lies in, from itself up to the root, the one that is its own parent.
    UniqueFd at(::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat own = {};
    for (std::pair<dev_t, ino_t> below{}; at && ::fstat(at.get(), &own) == 0;) {
        const std::pair<dev_t, ino_t> identity{own.st_dev, own.st_ino};
        if (identity == below) break;
        found.push_back(below = identity);
        at = UniqueFd(::openat(at.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    return found;
}

FolderHandles::Reach FolderHandles::reach(const std::string& path) const
{
    const std::size_t end = path.find_last_not_of('/');
    const std::size_t slash = end == std::string::npos ? end : path.rfind('/', end);
    if (slash != std::string::npos) {
        const auto kept = kept_.find(std::string_view(path.data(), slash + 1));
        if (kept != kept_.end()) return {kept->second.get(), path.c_str() + slash + 1};
    }
    return {AT_FDCWD, path.c_str()};
}

int FolderHandles::open(const std::string& folder)
{
    if (const auto kept = kept_.find(std::string_view(folder)); kept != kept_.end())
        return kept->second.get();
    const Reach from = reach(folder);
    UniqueFd handle(::openat(from.dirFd, from.path, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!handle) return -1;
    if (order_.size() >= capacity_) {
        kept_.erase(kept_.find(order_.front()));
        order_.pop_front();
    }
    const auto kept = kept_.emplace(folder, std::move(handle)).first;
    order_.push_back(kept->first);
    return kept->second.get();
}

NamePattern::NamePattern(const QString& pattern)
    : everyName_(pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
{
    for (const char c : pattern.toUtf8()) {
        if (c == '[' || c == ']' || c == '\\') native_ += '\\';
        native_ += c;
    }
}

bool NamePattern::matches(const char* name) const
{
    return everyName_ || ::fnmatch(native_.constData(), name, FNM_CASEFOLD) == 0;
}

} // namespace FileSystem
