#include "platform/directory.h"

#include "platform/file_system.h"
#include "base/runtime_error.h"

#include <cerrno>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace FileSystem {

namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

FolderReader::FolderReader(const char* folder) : dir_(::opendir(folder))
{
    if (!dir_) openError_ = errno;
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

bool fileExistsAt(int dirFd, const char* path)
{
    struct stat info = {};
    return ::fstatat(dirFd, path, &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

bool isFolderAt(int dirFd, const char* path)
{
    try {
        return (attributesAt(dirFd, path) & Directory) != 0;
    } catch (const RuntimeError&) {
        return false;
    }
}

bool folderIdentityAt(int dirFd, const char* path, dev_t& device, ino_t& inode)
{
    struct stat info = {};
    if (::fstatat(dirFd, path, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
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
