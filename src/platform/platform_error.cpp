#include "platform/platform_error.h"

#include <cerrno>
#include <cstring>

PlatformError::PlatformError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description)
{
}

PlatformError PlatformError::badFileName()
{
    return {BadFileName, QStringLiteral("Bad file name or number")};
}

PlatformError PlatformError::fileNotFound()
{
    return {FileNotFound, QStringLiteral("File not found")};
}

PlatformError PlatformError::pathNotFound()
{
    return {PathNotFound, QStringLiteral("Path not found")};
}

PlatformError PlatformError::pathFileAccess()
{
    return {PathFileAccess, QStringLiteral("Path/File access error")};
}

PlatformError PlatformError::indexOutOfBounds()
{
    return {IndexOutOfBounds, QStringLiteral("Index out of bounds")};
}

PlatformError PlatformError::fromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return fileNotFound();
    case EACCES:
    case EPERM:
        return {PermissionDenied, QStringLiteral("Permission denied")};
    case ENOTDIR:
        return pathNotFound();
    case ENAMETOOLONG:
    case EILSEQ:
        return badFileName();
    default:
        return {PathFileAccess, QStringLiteral("Path/File access error (%1)")
                                    .arg(QString::fromLocal8Bit(std::strerror(err)))};
    }
}
