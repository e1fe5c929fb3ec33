#include "platform/text_output_file.h"

#include "base/runtime_error.h"
#include "platform/file_identity.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kFlushAt = 1 << 20;

// A pipe, socket or device would block the window or swallow the results.
RuntimeError notAFile(mode_t mode)
{
    return S_ISDIR(mode) ? RuntimeError::fromErrno(EISDIR) : RuntimeError::pathFileAccess();
}

RuntimeError openError(int err)
{
    if (err == ENOENT || err == ENOTDIR) return RuntimeError::pathNotFound();
    // O_NOFOLLOW met a link put there since the file was chosen.
    if (err == ELOOP) return RuntimeError::fromErrno(EACCES);
    return RuntimeError::fromErrno(err);
}

struct ProcPath
{
    explicit ProcPath(int fd) { std::snprintf(text, sizeof text, "/proc/self/fd/%d", fd); }
    char text[32];
};

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file found by the kernel's rules, now open for writing. Without /proc the name is opened
// again, and must still be that file.
UniqueFd openForWriting(const SaveTarget& target)
{
    constexpr int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    UniqueFd fd(::open(ProcPath(target.file()).text, flags));
    if (!fd && errno == ENOENT)
        fd.reset(::openat(target.folder(), target.name().constData(), flags | target.nameFlags()));
    if (!fd) throw openError(errno);
    struct stat found = {}, opened = {};
    if (::fstat(target.file(), &found) != 0 || ::fstat(fd.get(), &opened) != 0)
        throw RuntimeError::fromErrno(errno);
    if (!sameFile(found, opened)) throw notAFile(opened.st_mode);
    return fd;
}

// O_TMPFILE needs a file system that has it; a folder that takes no new names refuses it too.
bool tmpfileUnsupported(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

// A place of the user's own, for lines that cannot wait beside the target.
UniqueFd stagePrivately()
{
    std::vector<QByteArray> places;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/')) places.push_back(runtime);
    places.push_back(QByteArrayLiteral("/tmp"));
    int err = ENOENT;
    for (const QByteArray& place : places) {
        UniqueFd fd(::open(place.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (fd) return fd;
        err = errno;
    }
    throw RuntimeError::fromErrno(err);
}

// So the new name survives a power cut with the content it names.
void syncFolder(int folder)
{
    const UniqueFd fd(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) (void)::fsync(fd.get());
}

} // namespace

void TextOutputFile::open(const QString& path)
{
    close();
    SaveTarget target = SaveTarget::find(path);
    UniqueFd writable;
    if (target.file() >= 0) {
        struct stat info = {};
        if (::fstat(target.file(), &info) != 0) throw RuntimeError::fromErrno(errno);
        if (!S_ISREG(info.st_mode)) throw notAFile(info.st_mode);
        // The user must be allowed to change the file itself, not only its folder.
        writable = openForWriting(target);
    }
    // Made as any new file there would be (umask, the folder's default ACL); with no name,
    // nobody but this process can reach it.
    UniqueFd staged(::openat(target.folder(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    const bool beside = bool(staged);
    if (!staged) {
        const int err = errno;
        const bool creating = target.file() < 0 && !target.throughLink();
        if (creating && !tmpfileUnsupported(err)) throw openError(err);
        if (creating && ::faccessat(target.folder(), ".", W_OK | X_OK, AT_EACCESS) != 0)
            throw openError(errno);
        staged = stagePrivately();
    }
    target_ = std::move(target);
    writable_ = std::move(writable);
    staged_ = std::move(staged);
    stagedBeside_ = beside;
    buffer_.clear();
    length_ = 0;
}

void TextOutputFile::writeLine(std::string_view utf8)
{
    if (!staged_) throw RuntimeError::badFileName();
    buffer_.append(utf8);
    buffer_.append("\r\n", 2);
    length_ += std::int64_t(utf8.size()) + 2;
    if (buffer_.size() >= kFlushAt) flush();
}

void TextOutputFile::fillThroughName(const std::function<void(const char* name)>& fill)
{
    if (!staged_) throw RuntimeError::badFileName();
    try {
        flush();
        fill(ProcPath(staged_.get()).text);
        struct stat info = {};
        if (::fstat(staged_.get(), &info) != 0 || ::lseek(staged_.get(), 0, SEEK_END) < 0)
            throw RuntimeError::fromErrno(errno);
        length_ = info.st_size;
    } catch (...) {
        discard();
        throw;
    }
}

void TextOutputFile::flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written =
            ::write(staged_.get(), buffer_.data() + done, buffer_.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            // The lines are incomplete and never reach the target; the space goes back now.
            discard();
            throw RuntimeError::fromErrno(err);
        }
        done += std::size_t(written);
    }
    buffer_.clear();
}

void TextOutputFile::discard()
{
    staged_.reset();
    writable_.reset();
    target_ = SaveTarget();
    buffer_.clear();
    buffer_.shrink_to_fit();
    length_ = 0;
}

void TextOutputFile::close()
{
    if (!staged_) return;
    try {
        flush();
        commit();
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

void TextOutputFile::commit()
{
    if (stagedBeside_ && !target_.throughLink() && (target_.file() < 0 ? linkNew() : replace()))
        return;
    writeInPlace();
}

// No file there yet: the finished file takes the name in one step, or not at all.
bool TextOutputFile::linkNew()
{
    if (::fsync(staged_.get()) != 0) throw RuntimeError::fromErrno(errno);
    if (::linkat(AT_FDCWD, ProcPath(staged_.get()).text, target_.folder(),
                 target_.name().constData(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    syncFolder(target_.folder());
    return true;
}

bool TextOutputFile::replace()
{
    struct stat old = {};
    if (::fstat(writable_.get(), &old) != 0) throw RuntimeError::fromErrno(errno);
    // Someone else's file would become the user's, and a second link would keep the old one.
    // Owning the file also settles a sticky folder.
    if (old.st_uid != ::geteuid() || old.st_nlink != 1) return false;
    if (::faccessat(target_.folder(), ".", W_OK | X_OK, AT_EACCESS) != 0) return false;
    if (!carryIdentity(writable_.get(), staged_.get())) return false;
    if (::fsync(staged_.get()) != 0) throw RuntimeError::fromErrno(errno);

    QByteArray hidden;
    bool linked = false;
    for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
        hidden = '.' + target_.name().left(200) + '.' +
                 QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".new";
        linked = ::linkat(AT_FDCWD, ProcPath(staged_.get()).text, target_.folder(),
                          hidden.constData(), AT_SYMLINK_FOLLOW) == 0;
        if (!linked && errno != EEXIST) return false;
    }
    if (!linked) return false;
    // The name must still be the file the user agreed to replace.
    struct stat now = {};
    const bool unchanged =
        ::fstatat(target_.folder(), target_.name().constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(now, old);
    if (!unchanged || ::renameat(target_.folder(), hidden.constData(), target_.folder(),
                                 target_.name().constData()) != 0) {
        ::unlinkat(target_.folder(), hidden.constData(), 0);
        return false;
    }
    syncFolder(target_.folder());
    return true;
}

void TextOutputFile::writeInPlace()
{
    UniqueFd created;
    int out = writable_.get();
    if (out < 0) {
        created.reset(::openat(
            target_.folder(), target_.name().constData(),
            O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | target_.nameFlags(), 0666));
        if (!created) throw openError(errno);
        struct stat info = {};
        if (::fstat(created.get(), &info) != 0) throw RuntimeError::fromErrno(errno);
        if (!S_ISREG(info.st_mode)) throw notAFile(info.st_mode);
        out = created.get();
    }
    const off_t length = off_t(length_);
    // Reserved beyond the end, so the old content stays as it is until the copy begins.
    if (length > 0 && ::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, length) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        throw RuntimeError::fromErrno(errno);

    std::vector<char> block(std::size_t(std::min<off_t>(length, off_t(kFlushAt))));
    for (off_t at = 0; at < length;) {
        const ssize_t got =
            ::pread(staged_.get(), block.data(),
                    std::size_t(std::min<off_t>(length - at, off_t(block.size()))), at);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw RuntimeError::fromErrno(got < 0 ? errno : EIO);
        for (ssize_t put = 0; put < got;) {
            const ssize_t wrote =
                ::pwrite(out, block.data() + put, std::size_t(got - put), at + put);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote < 0) throw RuntimeError::fromErrno(errno);
            put += wrote;
        }
        at += got;
    }
    if (::ftruncate(out, length) != 0 || ::fsync(out) != 0) throw RuntimeError::fromErrno(errno);
}
