#include "platform/file_system.h"

#include "posix/file_queries.h"

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

int attributesAt(int dirFd, const char* path)
{
    const int value = posix::attributesAt(dirFd, path);
    if (value < 0) throw RuntimeError::fromErrno(errno);
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

SequentialFile SequentialFile::standardInput()
{
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) throw RuntimeError::fromErrno(errno);
    return SequentialFile(fd);
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
    return !nativePath.isEmpty() && !nativePath.contains('\0') &&
           posix::entryExistsAt(AT_FDCWD, nativePath.constData());
}

bool isRegularFile(const QString& path)
{
    const std::optional<QByteArray> native = checkedNativePath(path);
    return native && posix::isRegularFileAt(AT_FDCWD, native->constData());
}

} // namespace FileSystem

bool FileExistsByDate(const QString& path)
{
    const std::optional<QByteArray> native = FileSystem::checkedNativePath(path);
    return native && posix::metadataReadableAt(AT_FDCWD, native->constData());
}
