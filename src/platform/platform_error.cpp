#include "platform/platform_error.h"

#include <cerrno>
#include <cstring>

PlatformError::PlatformError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description)
{
}

PlatformError PlatformError::fromErrno(int err)
{
    switch (err) {
    case ENOENT:
        return {FileNotFound, QStringLiteral("File not found")};
    case EACCES:
    case EPERM:
        return {PermissionDenied, QStringLiteral("Permission denied")};
    case ENOTDIR:
        return {PathNotFound, QStringLiteral("Path not found")};
    case ENAMETOOLONG:
    case EILSEQ:
        return {BadFileName, QStringLiteral("Bad file name or number")};
    default:
        return {PathFileAccess,
                QStringLiteral("Path/File access error (%1)").arg(QString::fromLocal8Bit(std::strerror(err)))};
    }
}
