#include "base/runtime_error.h"

#include <cerrno>
#include <cstring>

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description)
{
}

RuntimeError RuntimeError::badFileName()
{
    return {BadFileName, QStringLiteral("Bad file name or number")};
}

RuntimeError RuntimeError::fileNotFound()
{
    return {FileNotFound, QStringLiteral("File not found")};
}

RuntimeError RuntimeError::pathNotFound()
{
    return {PathNotFound, QStringLiteral("Path not found")};
}

RuntimeError RuntimeError::pathFileAccess()
{
    return {PathFileAccess, QStringLiteral("Path/File access error")};
}

RuntimeError RuntimeError::indexOutOfBounds()
{
    return {IndexOutOfBounds, QStringLiteral("Index out of bounds")};
}

RuntimeError RuntimeError::fromErrno(int err)
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
