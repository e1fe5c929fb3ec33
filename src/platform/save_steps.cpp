#include "platform/save_steps.h"

#include "base/runtime_error.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr off_t kBlock = 1 << 20;

} // namespace

ProcPath::ProcPath(int fd)
{
    std::snprintf(text, sizeof text, "/proc/self/fd/%d", fd);
}

void copyBytes(int from, int to, off_t length)
{
    copyRange(from, 0, to, 0, length);
}

void copyRange(int from, off_t fromAt, int to, off_t toAt, off_t length)
{
    std::vector<char> block(std::size_t(std::min(length, kBlock)));
    for (off_t done = 0; done < length;) {
        const std::size_t got =
            readAt(from, fromAt + done, block.data(), std::size_t(std::min(length - done, kBlock)));
        if (got == 0) throw RuntimeError::fromErrno(EIO);
        writeBytes(to, toAt + done, {block.data(), got});
        done += off_t(got);
    }
}

std::size_t readAt(int fd, off_t at, char* into, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::pread(fd, into, size, at);
        if (got >= 0) return std::size_t(got);
        if (errno != EINTR) throw RuntimeError::fromErrno(errno);
    }
}

std::string wholeContent(int fd)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) throw RuntimeError::fromErrno(errno);
    std::string bytes(std::size_t(info.st_size), '\0');
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t got = readAt(fd, off_t(at), bytes.data() + at, bytes.size() - at);
        if (got == 0) throw RuntimeError::fromErrno(EIO);
        at += got;
    }
    return bytes;
}

void writeBytes(int fd, off_t at, std::string_view bytes)
{
    for (std::size_t put = 0; put < bytes.size();) {
        const ssize_t wrote = ::pwrite(fd, bytes.data() + put, bytes.size() - put, at + off_t(put));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) throw RuntimeError::fromErrno(errno);
        put += std::size_t(wrote);
    }
}

UniqueFd unnamedFileIn(const char* folder)
{
    return UniqueFd(::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
}

UniqueFd unnamedPrivateFile()
{
    std::vector<QByteArray> places;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/')) places.push_back(runtime);
    places.push_back(QByteArrayLiteral("/tmp"));
    int err = ENOENT;
    for (const QByteArray& place : places) {
        UniqueFd fd = unnamedFileIn(place.constData());
        if (fd) return fd;
        err = errno;
    }
    throw RuntimeError::fromErrno(err);
}

bool tmpfileUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

QByteArray linkUnderHiddenName(int fd, int folder, const QByteArray& name, const char* kind)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray hidden = '.' + name.left(200) + '.' + kind + '.' +
                            QByteArray::number(QRandomGenerator::global()->generate(), 36);
        if (::linkat(AT_FDCWD, ProcPath(fd).text, folder, hidden.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            return hidden;
        if (errno != EEXIST) break;
    }
    return {};
}

void syncFolder(int folder)
{
    const UniqueFd fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) (void)::fsync(fd.get());
}
