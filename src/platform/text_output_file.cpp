#include "platform/text_output_file.h"

#include "base/runtime_error.h"
#include "platform/file_identity.h"
#include "platform/in_place_rewrite.h"
#include "platform/save_steps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The file found by the walk, now open for writing. Without /proc the name is opened again,
// and must still be that file.
UniqueFd openForWriting(const SaveTarget& target)
{
    constexpr int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    UniqueFd fd(::open(ProcPath(target.file()).text, flags));
    if (!fd && errno == ENOENT)
        fd.reset(::openat(target.folder(), target.name().constData(), flags | O_NOFOLLOW));
    if (!fd) throw openError(errno);
    struct stat found = {}, opened = {};
    if (::fstat(target.file(), &found) != 0 || ::fstat(fd.get(), &opened) != 0)
        throw RuntimeError::fromErrno(errno);
    if (!sameFile(found, opened)) throw notAFile(opened.st_mode);
    return fd;
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
        // Another user may have left it there for this user to fill, as fs.protected_regular
        // knows.
        if (target.sharedFolder() && !target.trusts(info.st_uid))
            throw RuntimeError::fromErrno(EACCES);
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
        staged = unnamedPrivateFile();
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
    if (target_.file() < 0) {
        if (!stagedBeside_ || !linkNew()) createInPlace();
        return;
    }
    struct stat old = {};
    if (::fstat(writable_.get(), &old) != 0) throw RuntimeError::fromErrno(errno);
    // In a shared folder a second link may be another user's, planted to have this user's
    // save write through it into one of their own files: the name is replaced instead, which
    // drops the planted link, or not written at all.
    const bool mayBePlanted = target_.sharedFolder() && old.st_nlink != 1;
    if (stagedBeside_ && replace(old, mayBePlanted)) return;
    if (mayBePlanted) throw RuntimeError::fromErrno(EACCES);
    rewriteInPlace(target_, writable_.get(), staged_.get(), off_t(length_));
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

bool TextOutputFile::replace(const struct stat& old, bool linkedElsewhere)
{
    // Someone else's file would become the user's, and a second link would keep the old one
    // unless that link is what must go.
    if (old.st_uid != ::geteuid() || (old.st_nlink != 1 && !linkedElsewhere)) return false;
    if (::faccessat(target_.folder(), ".", W_OK | X_OK, AT_EACCESS) != 0) return false;
    if (!carryIdentity(writable_.get(), staged_.get())) return false;
    if (::fsync(staged_.get()) != 0) throw RuntimeError::fromErrno(errno);

    const QByteArray hidden =
        linkUnderHiddenName(staged_.get(), target_.folder(), target_.name(), "new");
    if (hidden.isEmpty()) return false;
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

// Where the folder keeps no unnamed file the new one is made under its name, and removed again
// when it cannot be filled.
void TextOutputFile::createInPlace()
{
    const UniqueFd created(::openat(
        target_.folder(), target_.name().constData(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    // In a shared folder a name that has appeared since may have been put there for this save.
    if (!created && errno == EEXIST && target_.sharedFolder())
        throw RuntimeError::fromErrno(EACCES);
    if (!created) throw openError(errno);
    try {
        copyBytes(staged_.get(), created.get(), off_t(length_));
        if (::fsync(created.get()) != 0) throw RuntimeError::fromErrno(errno);
    } catch (const RuntimeError&) {
        ::unlinkat(target_.folder(), target_.name().constData(), 0);
        throw;
    }
}
