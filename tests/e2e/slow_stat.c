// Imitates a slow disk for the end-to-end tests, loaded with LD_PRELOAD (glibc exports these
// calls under these names). Each wait lasts $BYTEMARSH_SLOW_MS milliseconds (default 30):
// - every stat of a path that holds the text in $BYTEMARSH_SLOW_PATHS (for a path relative to
//   an open folder, the folder's path and the name together);
// - with $BYTEMARSH_SLOW_WRITES set, every write or pwrite of 64 KiB or more to a regular file;
// - every opening of a folder to read it (open, openat, opendir) whose own name is
//   $BYTEMARSH_SLOW_FOLDERS.
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static void pause_a_while(void)
{
    const char* ms = getenv("BYTEMARSH_SLOW_MS");
    const long wait = ms ? atol(ms) : 30;
    struct timespec pause = {wait / 1000, (wait % 1000) * 1000000L};
    nanosleep(&pause, NULL);
}

static void maybe_wait(const char* path)
{
    const char* marker = getenv("BYTEMARSH_SLOW_PATHS");
    if (path && marker && *marker && strstr(path, marker)) pause_a_while();
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

// A path relative to an open folder counts by the folder's own path, as the disk sees it.
static void maybe_wait_at(int dir, const char* path)
{
    const char* marker = getenv("BYTEMARSH_SLOW_PATHS");
    if (!path || !marker || !*marker) return;
    if (dir == AT_FDCWD || path[0] == '/') {
        maybe_wait(path);
        return;
    }
    char link[64];
    char whole[8192];
    snprintf(link, sizeof link, "/proc/self/fd/%d", dir);
    const ssize_t length = readlink(link, whole, 4096);
    if (length < 0) return;
    snprintf(whole + length, sizeof whole - (size_t)length, "/%s", path);
    if (strstr(whole, marker)) pause_a_while();
}

static void maybe_wait_to_write(int fd, size_t size)
{
    struct stat info;
    if (size >= 65536 && getenv("BYTEMARSH_SLOW_WRITES") && NEXT(fstat)(fd, &info) == 0 &&
        S_ISREG(info.st_mode))
        pause_a_while();
}

ssize_t write(int fd, const void* data, size_t size)
{
    maybe_wait_to_write(fd, size);
    return NEXT(write)(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at)
{
    maybe_wait_to_write(fd, size);
    return NEXT(pwrite)(fd, data, size, at);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at)
{
    maybe_wait_to_write(fd, size);
    return NEXT(pwrite64)(fd, data, size, at);
}

int stat(const char* path, struct stat* info)
{
    maybe_wait(path);
    return NEXT(stat)(path, info);
}

int stat64(const char* path, struct stat64* info)
{
    maybe_wait(path);
    return NEXT(stat64)(path, info);
}

int lstat(const char* path, struct stat* info)
{
    maybe_wait(path);
    return NEXT(lstat)(path, info);
}

int fstatat(int dir, const char* path, struct stat* info, int flags)
{
    maybe_wait_at(dir, path);
    return NEXT(fstatat)(dir, path, info, flags);
}

int fstatat64(int dir, const char* path, struct stat64* info, int flags)
{
    maybe_wait_at(dir, path);
    return NEXT(fstatat64)(dir, path, info, flags);
}

int statx(int dir, const char* path, int flags, unsigned int mask, struct statx* info)
{
    maybe_wait_at(dir, path);
    return NEXT(statx)(dir, path, flags, mask, info);
}

static void maybe_wait_for_folder(const char* path, int flags)
{
    const char* name = getenv("BYTEMARSH_SLOW_FOLDERS");
    // A handle for lookups only (O_PATH) reads nothing of the folder: no slower than a stat.
    if (!path || !name || !*name || !(flags & O_DIRECTORY) || (flags & O_PATH) ||
        (flags & O_TMPFILE) == O_TMPFILE)
        return;
    // The scan opens folders as "name/", so trailing slashes do not count.
    size_t end = strlen(path);
    while (end > 1 && path[end - 1] == '/')
        --end;
    size_t start = end;
    while (start > 0 && path[start - 1] != '/')
        --start;
    if (end - start == strlen(name) && strncmp(path + start, name, end - start) == 0)
        pause_a_while();
}

static mode_t mode_of(int flags, va_list rest)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, mode_t) : 0;
}

int open(const char* path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = mode_of(flags, rest);
    va_end(rest);
    maybe_wait_for_folder(path, flags);
    return NEXT(open)(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = mode_of(flags, rest);
    va_end(rest);
    maybe_wait_for_folder(path, flags);
    return NEXT(open64)(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = mode_of(flags, rest);
    va_end(rest);
    maybe_wait_for_folder(path, flags);
    return NEXT(openat)(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = mode_of(flags, rest);
    va_end(rest);
    maybe_wait_for_folder(path, flags);
    return NEXT(openat64)(dir, path, flags, mode);
}

// What a build with _FORTIFY_SOURCE calls in place of open and openat.
int __open_2(const char* path, int flags)
{
    maybe_wait_for_folder(path, flags);
    return NEXT(__open_2)(path, flags);
}

int __open64_2(const char* path, int flags)
{
    maybe_wait_for_folder(path, flags);
    return NEXT(__open64_2)(path, flags);
}

int __openat_2(int dir, const char* path, int flags)
{
    maybe_wait_for_folder(path, flags);
    return NEXT(__openat_2)(dir, path, flags);
}

int __openat64_2(int dir, const char* path, int flags)
{
    maybe_wait_for_folder(path, flags);
    return NEXT(__openat64_2)(dir, path, flags);
}

// glibc opens the folder inside opendir without passing through the calls above.
DIR* opendir(const char* path)
{
    maybe_wait_for_folder(path, O_RDONLY | O_DIRECTORY);
    return NEXT(opendir)(path);
}
