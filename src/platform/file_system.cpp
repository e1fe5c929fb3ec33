#include "platform/file_system.h"

#include "base/runtime_error.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileSystem {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

std::optional<QByteArray> checkedNativePath(const QString& path)
{
    QByteArray native = nativePath(path);
    if (native.isEmpty() || native.contains('\0')) return std::nullopt;
    return native;
}

QByteArray requiredNativePath(const QString& path)
{
    std::optional<QByteArray> native = checkedNativePath(path);
    if (!native) throw RuntimeError::badFileName();
    return *std::move(native);
}

RuntimeError folderHasNoLength()
{
    return {RuntimeError::PathFileAccess,
            QStringLiteral("Path/File access error (a folder has no length)")};
}

namespace {

std::int64_t lengthOf(const char* path)
{
    struct stat info
    {
    };
    if (::stat(path, &info) != 0) throw RuntimeError::fromErrno(errno);
    if (S_ISDIR(info.st_mode)) throw folderHasNoLength();
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace

std::int64_t fileLength(std::string_view path)
{
    // A NUL inside the text would silently name another file.
    if (path.find('\0') != std::string_view::npos) throw RuntimeError::badFileName();
    if (path.size() < 256) {
        char buffer[256];
        path.copy(buffer, path.size());
        buffer[path.size()] = '\0';
        return lengthOf(buffer);
    }
    return lengthOf(std::string(path).c_str());
}

int attributesAt(int dirFd, const char* path)
{
    struct stat link = {};
    if (::fstatat(dirFd, path, &link, AT_SYMLINK_NOFOLLOW) != 0)
        throw RuntimeError::fromErrno(errno);
    int value = 0;
    struct stat target = link;
    if (S_ISLNK(link.st_mode)) {
        value |= ReparsePoint;
        if (::fstatat(dirFd, path, &target, 0) != 0) target = link; // a dangling link
    }
    if (S_ISDIR(target.st_mode)) value |= Directory;
    if (S_ISREG(target.st_mode)) value |= Archive;

    // The name is the last component, trailing separators aside.
    std::size_t end = std::strlen(path);
    while (end > 1 && path[end - 1] == '/')
        --end;
    std::size_t begin = end;
    while (begin > 0 && path[begin - 1] != '/')
        --begin;
    const std::string_view name(path + begin, end - begin);
    if (name.size() > 1 && name[0] == '.' && name != "..") value |= Hidden;

    // Permission bits first, so a file nobody may write reads as read-only even for root.
    if ((target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::faccessat(dirFd, path, W_OK, AT_EACCESS) != 0)
        value |= ReadOnly;
    return value;
}

int attributes(const QString& path)
{
    return attributesAt(AT_FDCWD, requiredNativePath(path).constData());
}

SequentialFile::SequentialFile(const QString& path)
    // A pipe must not block the open.
    : fd_(::open(requiredNativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
    if (fd_ < 0) throw RuntimeError::fromErrno(errno);
    struct stat info = {};
    const int error = ::fstat(fd_, &info) != 0 ? errno : 0;
    if (error != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw error != 0 ? RuntimeError::fromErrno(error) : RuntimeError::pathFileAccess();
    }
}

SequentialFile::~SequentialFile()
{
    ::close(fd_);
}

std::size_t SequentialFile::read(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) return std::size_t(got);
        if (errno != EINTR) throw RuntimeError::fromErrno(errno);
    }
}

bool entryExists(const QString& path)
{
    const std::optional<QByteArray> native = checkedNativePath(path);
    return native && entryExistsAt(*native);
}

bool entryExistsAt(const QByteArray& nativePath)
{
    struct stat info = {};
    return !nativePath.isEmpty() && !nativePath.contains('\0') &&
           ::lstat(nativePath.constData(), &info) == 0;
}

bool isRegularFile(const QString& path)
{
    const std::optional<QByteArray> native = checkedNativePath(path);
    struct stat info = {};
    return native && ::stat(native->constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace FileSystem

bool FileExistsByDate(const QString& path)
{
    const std::optional<QByteArray> native = FileSystem::checkedNativePath(path);
    struct stat info = {};
    return native && ::stat(native->constData(), &info) == 0;
}
