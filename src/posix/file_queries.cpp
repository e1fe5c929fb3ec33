#include "posix/file_queries.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace posix {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

int attributeValue(std::string_view name, mode_t ownMode, mode_t targetMode, bool writable)
{
    int value = 0;
    if (S_ISLNK(ownMode)) value |= ReparsePoint;
    if (S_ISDIR(targetMode)) value |= Directory;
    if (S_ISREG(targetMode)) value |= Archive;
    if (name.size() > 1 && name[0] == '.' && name != "..") value |= Hidden;
    if (!writable) value |= ReadOnly;
    return value;
}

bool isWritable(int dirFd, const char* path, mode_t targetMode)
{
    return (targetMode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           ::faccessat(dirFd, path, W_OK, AT_EACCESS) == 0;
}

int attributesAt(int dirFd, const char* path)
{
    struct stat own = {};
    if (::fstatat(dirFd, path, &own, AT_SYMLINK_NOFOLLOW) != 0) return -1;
    struct stat target = own;
    if (S_ISLNK(own.st_mode) && ::fstatat(dirFd, path, &target, 0) != 0) target = own; // dangling
    // The name is the last component, trailing separators aside.
    std::size_t end = std::strlen(path);
    while (end > 1 && path[end - 1] == '/')
        --end;
    std::size_t begin = end;
    while (begin > 0 && path[begin - 1] != '/')
        --begin;
    return attributeValue(std::string_view(path + begin, end - begin), own.st_mode, target.st_mode,
                          isWritable(dirFd, path, target.st_mode));
}

bool entryExistsAt(int dirFd, const char* path)
{
    struct stat info = {};
    return ::fstatat(dirFd, path, &info, AT_SYMLINK_NOFOLLOW) == 0;
}

bool metadataReadableAt(int dirFd, const char* path)
{
    struct stat info = {};
    return ::fstatat(dirFd, path, &info, 0) == 0;
}

bool fileExistsAt(int dirFd, const char* path)
{
    struct stat info = {};
    return ::fstatat(dirFd, path, &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

bool isFolderAt(int dirFd, const char* path)
{
    const int value = attributesAt(dirFd, path);
    return value >= 0 && (value & Directory) != 0;
}

bool isRegularFileAt(int dirFd, const char* path)
{
    struct stat info = {};
    return ::fstatat(dirFd, path, &info, 0) == 0 && S_ISREG(info.st_mode);
}

namespace {

SizeResult sizeAt(int dirFd, const char* path)
{
    SizeResult result;
    struct stat info = {};
    if (::fstatat(dirFd, path, &info, 0) != 0) {
        result.kind = SizeResult::Kind::Failed;
        result.error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        result.kind = SizeResult::Kind::Folder;
    } else {
        result.kind = SizeResult::Kind::Length;
        result.regular = S_ISREG(info.st_mode);
        result.size = static_cast<std::int64_t>(info.st_size);
    }
    return result;
}

} // namespace

SizeResult sizeOf(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos) {
        SizeResult result;
        result.kind = SizeResult::Kind::BadName;
        return result;
    }
    // Most paths fit on the stack; a million rows should not mean a million allocations.
    if (path.size() < 512) {
        char buffer[512];
        path.copy(buffer, path.size());
        buffer[path.size()] = '\0';
        return sizeAt(AT_FDCWD, buffer);
    }
    try {
        return sizeAt(AT_FDCWD, std::string(path).c_str());
    } catch (const std::bad_alloc&) {
        SizeResult result;
        result.error = ENOMEM;
        return result;
    }
}

SizeReader::~SizeReader()
{
    if (folderFd_ >= 0) ::close(folderFd_);
}

SizeResult SizeReader::of(std::string_view path)
{
    // Whatever the folder would not answer as the whole path does goes the whole way: a name
    // the kernel would call too long, no folder part, and a last component that is no name.
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || path.size() >= PATH_MAX ||
        path.find('\0') != std::string_view::npos)
        return sizeOf(path);
    const std::string_view name = path.substr(slash + 1);
    char buffer[NAME_MAX + 2];
    if (name.empty() || name == "." || name == ".." || name.size() >= sizeof buffer ||
        !holdFolder(slash == 0 ? path.substr(0, 1) : path.substr(0, slash)))
        return sizeOf(path);
    name.copy(buffer, name.size());
    buffer[name.size()] = '\0';
    return sizeAt(folderFd_, buffer);
}

bool SizeReader::holdFolder(std::string_view folder)
{
    if (folderFd_ >= 0 && folder == folder_) return true;
    if (folderFd_ >= 0) ::close(folderFd_);
    folder_.clear();
    try {
        folder_.assign(folder);
    } catch (const std::bad_alloc&) {
        folderFd_ = -1;
        return false;
    }
    // A handle for lookups only: no read right is needed, as none is for the stat it stands for.
    folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return folderFd_ >= 0;
}

FolderReader::FolderReader(int dirFd, const char* path)
{
    const int fd = ::openat(dirFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        return;
    }
    dir_ = ::fdopendir(fd);
    if (!dir_) {
        openError_ = errno;
        ::close(fd);
    }
}

FolderReader::~FolderReader()
{
    if (dir_) ::closedir(dir_);
}

int FolderReader::fd() const
{
    return ::dirfd(dir_);
}

const dirent* FolderReader::next()
{
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir_);
        if (!entry) {
            readError_ = errno;
            return nullptr;
        }
        if (!isDotOrDotDot(entry->d_name)) return entry;
    }
}

} // namespace posix
