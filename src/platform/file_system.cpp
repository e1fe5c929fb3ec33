#include "platform/file_system.h"

#include "platform/platform_error.h"

#include <QFile>
#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace FileSystem {

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

namespace {

std::int64_t lengthOf(const char* path)
{
    struct stat info {};
    if (::stat(path, &info) != 0) throw PlatformError::fromErrno(errno);
    if (S_ISDIR(info.st_mode))
        throw PlatformError(PlatformError::PathFileAccess,
                            QStringLiteral("Path/File access error (a folder has no length)"));
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace

std::int64_t fileLength(std::string_view path)
{
    // A NUL inside the text would silently name another file.
    if (path.find('\0') != std::string_view::npos)
        throw PlatformError(PlatformError::BadFileName, QStringLiteral("Bad file name or number"));
    if (path.size() < 256) {
        char buffer[256];
        path.copy(buffer, path.size());
        buffer[path.size()] = '\0';
        return lengthOf(buffer);
    }
    return lengthOf(std::string(path).c_str());
}

std::int64_t fileLength(const QString& path)
{
    const QByteArray native = nativePath(path);
    return fileLength(std::string_view(native.constData(), std::size_t(native.size())));
}

} // namespace FileSystem

bool FileExistsByDate(const QString& path)
{
    const QByteArray native = FileSystem::nativePath(path);
    if (native.isEmpty() || native.contains('\0')) return false;
    struct stat info {};
    return ::stat(native.constData(), &info) == 0;
}
