#include "platform/text_output_file.h"

#include "platform/file_system.h"
#include "platform/platform_error.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The path a chain of links ends in; the last one may name a file yet to be made.
QByteArray followLinks(QByteArray path)
{
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0) {
            if (errno == EINVAL || errno == ENOENT) return path; // no link (left)
            throw PlatformError::fromErrno(errno);
        }
        if (std::size_t(length) == sizeof target) throw PlatformError::badFileName();
        const QByteArray next(target, length);
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
    }
    throw PlatformError::fromErrno(ELOOP);
}

// A pipe, socket or device would block the window or swallow the results.
PlatformError notAFile(mode_t mode)
{
    return S_ISDIR(mode) ? PlatformError::fromErrno(EISDIR) : PlatformError::pathFileAccess();
}

// A new empty file beside `target`, its name unused so far; -1 with errno when none can be made.
int createBeside(const QByteArray& target, QByteArray& name)
{
    const QByteArray folder = folderOf(target);
    const QByteArray base = target.mid(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/." + base.left(200) + '.' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

TextOutputFile::~TextOutputFile()
{
    discard();
}

void TextOutputFile::open(const QString& path)
{
    close();
    failed_ = false;
    const QByteArray target = followLinks(FileSystem::requiredNativePath(path));

    struct stat existing = {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (!exists && errno != ENOENT) throw PlatformError::fromErrno(errno);
    if (exists) {
        if (!S_ISREG(existing.st_mode)) throw notAFile(existing.st_mode);
        // The user must be allowed to change the file itself, not only its folder.
        const int probe = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0) throw PlatformError::fromErrno(errno);
        ::close(probe);
    }

    QByteArray temporary;
    int fd = createBeside(target, temporary);
    if (fd < 0 && errno == ENOENT) throw PlatformError::pathNotFound(); // a folder on the way
    if (fd < 0 && !exists) throw PlatformError::fromErrno(errno);
    if (fd < 0) {
        // A writable file in a folder that takes no new names can only be rewritten in place.
        temporary.clear();
        fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) throw PlatformError::fromErrno(errno);
        struct stat opened = {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            const mode_t mode = opened.st_mode;
            ::close(fd);
            throw notAFile(mode);
        }
    } else if (exists) {
        // The replacement keeps what the old file's owner gave it.
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the owner's group can be kept by an ordinary user; the rest stays.
            [[maybe_unused]] const int groupKept = ::fchown(fd, uid_t(-1), existing.st_gid);
        }
        ::fchmod(fd, existing.st_mode & 07777);
    }
    fd_ = fd;
    target_ = target;
    temporary_ = temporary;
}

void TextOutputFile::writeLine(std::string_view utf8)
{
    if (fd_ < 0) throw PlatformError::badFileName();
    buffer_.append(utf8);
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= kFlushAt) flush();
}

void TextOutputFile::flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            buffer_.clear(); // those lines are lost; later lines still get their chance
            failed_ = true;  // but the file is incomplete and never takes the target's place
            throw PlatformError::fromErrno(err);
        }
        done += std::size_t(written);
    }
    buffer_.clear();
}

void TextOutputFile::discard()
{
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    if (!temporary_.isEmpty()) ::unlink(temporary_.constData());
}

void TextOutputFile::close()
{
    if (fd_ < 0) return;
    try {
        flush();
        if (!temporary_.isEmpty() && ::fsync(fd_) != 0) throw PlatformError::fromErrno(errno);
    } catch (...) {
        discard();
        throw;
    }
    // A write that failed earlier was reported then; the old file stays as it was.
    if (failed_) return discard();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        if (!temporary_.isEmpty()) ::unlink(temporary_.constData());
        throw PlatformError::fromErrno(err);
    }
    if (temporary_.isEmpty()) return;
    if (::rename(temporary_.constData(), target_.constData()) != 0) {
        const int err = errno;
        ::unlink(temporary_.constData());
        throw PlatformError::fromErrno(err);
    }
}
