#pragma once

#include "platform/unique_fd.h"

#include <QByteArray>
#include <string>
#include <string_view>
#include <sys/types.h>

// The small steps on open files that the saves share.

// The name through which the kernel reaches an open file, even one without a name of its own.
struct ProcPath
{
    explicit ProcPath(int fd);
    char text[32];
};

// Copies the first `length` bytes of `from` over the first bytes of `to`. Throws RuntimeError.
void copyBytes(int from, int to, off_t length);
// Copies `length` bytes of `from`, from `fromAt` on, to `to` at `toAt`. Throws RuntimeError.
void copyRange(int from, off_t fromAt, int to, off_t toAt, off_t length);
// Reads at most `size` bytes at `at`; 0 at the file's end. Throws RuntimeError.
std::size_t readAt(int fd, off_t at, char* into, std::size_t size);
// The whole content of a small file. Throws RuntimeError.
std::string wholeContent(int fd);
// Writes all of `bytes` at `at`. Throws RuntimeError.
void writeBytes(int fd, off_t at, std::string_view bytes);

// A file without a name in `folder`, readable and writable by the user alone; none (errno set)
// where the folder takes none.
UniqueFd unnamedFileIn(const char* folder);
// A file without a name in a place of the user's own: $XDG_RUNTIME_DIR, or /tmp. Throws
// RuntimeError.
UniqueFd unnamedPrivateFile();

// O_TMPFILE needs a file system that has it; a folder that takes no new names refuses it too.
bool tmpfileUnsupported(int err);

// Gives the file open as `fd` a fresh hidden name in `folder`, ".NAME.KIND.RANDOM", that says
// whose it is and what it holds. The empty text when the folder takes no such name.
QByteArray linkUnderHiddenName(int fd, int folder, const QByteArray& name, const char* kind);

// So a new name survives a power cut with the content it names.
void syncFolder(int folder);
