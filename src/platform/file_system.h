#pragma once

#include "posix/file_queries.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class RuntimeError;

// POSIX file queries. Paths are the program's texts; they reach the system as UTF-8.
namespace FileSystem {

QByteArray nativePath(const QString& path);
// The native form of a path the system can be asked about, or nothing for an empty path or one
// holding a NUL, which would silently name another file.
std::optional<QByteArray> checkedNativePath(const QString& path);
// The same, raising "Bad file name or number" where there is nothing to ask about.
QByteArray requiredNativePath(const QString& path);

// What a folder's length raises: a folder has no length.
RuntimeError folderHasNoLength();

// The attribute value of a path (a link is described by its target's kind). Throws
// RuntimeError when the path's metadata cannot be read.
int attributes(const QString& path);
// The same for a native path relative to an open folder (or absolute, with AT_FDCWD).
int attributesAt(int dirFd, const char* nativePath);

// A regular file read from its start to its end, a buffer at a time. Opening throws
// RuntimeError when the file cannot be opened, and for anything but a regular file (a folder,
// a pipe, a device), which could block or never end.
class SequentialFile
{
public:
    explicit SequentialFile(const QString& path);
    // The program's standard input, whatever it is (a pipe, a terminal, a file); reads wait
    // for it. Closing this leaves the program's own descriptor open.
    static SequentialFile standardInput();
    ~SequentialFile();
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    // Reads up to size bytes into buffer; 0 at the end. Throws RuntimeError when reading fails.
    std::size_t read(char* buffer, std::size_t size);

private:
    explicit SequentialFile(int fd) : fd_(fd) {}
    int fd_;
};

// True when the path names an entry, a dangling link included; never throws.
bool entryExists(const QString& path);
bool entryExistsAt(const QByteArray& nativePath);

// True for a regular file (a link counts as what it points to); never throws.
bool isRegularFile(const QString& path);

} // namespace FileSystem

// True when the path's last-modified date can be read (folders too); never throws.
bool FileExistsByDate(const QString& path);
