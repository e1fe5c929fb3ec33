// Imitates a slow disk for the end-to-end tests, loaded with LD_PRELOAD (glibc exports these
// calls under these names). Each wait lasts $BYTEMARSH_SLOW_MS milliseconds (default 30):
// - every stat of a path that holds the text in $BYTEMARSH_SLOW_PATHS;
// - with $BYTEMARSH_SLOW_WRITES set, every write of 64 KiB or more to a regular file.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
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

ssize_t write(int fd, const void* data, size_t size)
{
    struct stat info;
    if (size >= 65536 && getenv("BYTEMARSH_SLOW_WRITES") && NEXT(fstat)(fd, &info) == 0 &&
        S_ISREG(info.st_mode))
        pause_a_while();
    return NEXT(write)(fd, data, size);
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
    maybe_wait(path);
    return NEXT(fstatat)(dir, path, info, flags);
}

int fstatat64(int dir, const char* path, struct stat64* info, int flags)
{
    maybe_wait(path);
    return NEXT(fstatat64)(dir, path, info, flags);
}

int statx(int dir, const char* path, int flags, unsigned int mask, struct statx* info)
{
    maybe_wait(path);
    return NEXT(statx)(dir, path, flags, mask, info);
}
