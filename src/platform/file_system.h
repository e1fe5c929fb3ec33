#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>

// POSIX file queries. Paths are the program's texts; they reach the system as UTF-8.
namespace FileSystem {

QByteArray nativePath(const QString& path);

// The length in bytes of the file at a path (64-bit). Throws PlatformError when the
// length cannot be read: no such file, no access, an empty or malformed path, a folder.
std::int64_t fileLength(const QString& path);
// The same for a path already in native form (no terminating NUL needed).
std::int64_t fileLength(std::string_view nativePath);

} // namespace FileSystem

// True when the path's last-modified date can be read (folders too); never throws.
bool FileExistsByDate(const QString& path);
