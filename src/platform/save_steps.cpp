#include "platform/save_steps.h"

#include "base/runtime_error.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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
    std::vector<char> block(std::size_t(std::min(length, kBlock)));
    for (off_t at = 0; at < length;) {
        const ssize_t got =
            ::pread(from, block.data(), std::size_t(std::min(length - at, kBlock)), at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw RuntimeError::fromErrno(got < 0 ? errno : EIO);
        for (ssize_t put = 0; put < got;) {
            const ssize_t wrote =
                ::pwrite(to, block.data() + put, std::size_t(got - put), at + put);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote < 0) throw RuntimeError::fromErrno(errno);
            put += wrote;
        }
        at += got;
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
