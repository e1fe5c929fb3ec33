#pragma once

#include <cstdint>
#include <dirent.h>
#include <string>
#include <string_view>
#include <sys/types.h>

// The program's questions to the file system, each asked one way: plain C++ over POSIX, so the
// engine's workers and the adapters above share them. Paths are native bytes; a path relative
// to an open folder is asked with that folder's descriptor (AT_FDCWD: the working folder).
namespace posix {

bool isDotOrDotDot(const char* name);

// The classic attribute bits, as this platform maps them: read-only when no write bit is set or
// the user cannot write the file, hidden for a name that starts with ".", system never, folder,
// archive for every regular file, reparse point for a symbolic link.
enum Attribute : int {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
    ReparsePoint = 1024,
};

// The one attribute rule. `ownMode` is what the entry is (a link or not), `targetMode` what it
// leads to (its own mode when it is no link, or a dangling one), `name` its last component.
int attributeValue(std::string_view name, mode_t ownMode, mode_t targetMode, bool writable);
// Whether the user may write what the path leads to: a write bit is set, so a file nobody may
// write reads as read-only even for root, and the system agrees.
bool isWritable(int dirFd, const char* path, mode_t targetMode);
// The attribute value of a path, or -1 with errno when its metadata cannot be read.
int attributesAt(int dirFd, const char* path);

// The existence tests, one per rule the program applies:
// the path names an entry, a dangling link included (a drop's item, a typed path);
bool entryExistsAt(int dirFd, const char* path);
// its metadata can be read, links followed: a folder counts (FileExistsByDate);
bool metadataReadableAt(int dirFd, const char* path);
// its metadata can be read and it is not a folder (FileExistsByOpen);
bool fileExistsAt(int dirFd, const char* path);
// its attributes can be read and say folder (PathIsFolder);
bool isFolderAt(int dirFd, const char* path);
// it is a regular file, links followed.
bool isRegularFileAt(int dirFd, const char* path);

// What the file-length query learns about one path.
struct SizeResult
{
    enum class Kind : std::uint8_t {
        Length,  // size holds st_size; regular tells a regular file from a pipe, device, socket
        Folder,  // a folder has no length
        Failed,  // stat failed; error holds errno
        BadName, // the path holds a NUL byte, so it would name another file
    };
    Kind kind = Kind::Failed;
    bool regular = false;
    int error = 0;
    std::int64_t size = 0;
};
// One path's query: stat only, so a pipe is never opened. The path need not end in a NUL.
SizeResult sizeOf(std::string_view path);

// The same query for a run of paths, most of them in the folder of the one before: that folder
// stays open, so each stat walks only the last component, not the whole path again. Every
// answer is the one sizeOf gives; where the folder cannot be opened, the whole path is asked, so
// an error keeps its number. One thread's; the folder closes with the reader, so keep one no
// longer than a run of rows lasts.
class SizeReader
{
public:
    SizeReader() = default;
    ~SizeReader();
    SizeReader(const SizeReader&) = delete;
    SizeReader& operator=(const SizeReader&) = delete;

    SizeResult of(std::string_view path);

private:
    // Opens path's folder unless it is the one open; false when it cannot be.
    bool holdFolder(std::string_view folder);

    int folderFd_ = -1;
    std::string folder_;
};

// One open folder, read entry by entry; "." and ".." are never returned.
class FolderReader
{
public:
    // Opens the folder at path (relative to dirFd).
    FolderReader(int dirFd, const char* path);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    // The errno of a failed open.
    int openError() const { return openError_; }
    // The open folder, for calls relative to it.
    int fd() const;
    // The next entry, or nullptr at the end of the folder or on a failed read (readError()).
    const dirent* next();
    int readError() const { return readError_; }

private:
    DIR* dir_ = nullptr;
    int openError_ = 0;
    int readError_ = 0;
};

} // namespace posix
