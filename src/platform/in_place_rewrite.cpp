#include "platform/in_place_rewrite.h"

#include "base/runtime_error.h"
#include "platform/save_steps.h"
#include "platform/save_target.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct stat statOf(int fd)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) throw RuntimeError::fromErrno(errno);
    return info;
}

// The old content, kept where it can be put back from until the new content is in place.
class OldCopy
{
public:
    OldCopy(const SaveTarget& target, int out) : folder_(target.folder())
    {
        size_ = statOf(out).st_size;
        const UniqueFd reader(::open(ProcPath(out).text, O_RDONLY | O_NOCTTY | O_CLOEXEC));
        if (!reader) throw RuntimeError::fromErrno(errno);
        // Only the user reads it: the old content may be private.
        copy_.reset(::openat(folder_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        const bool beside = bool(copy_);
        if (!copy_) copy_ = unnamedPrivateFile();
        copyBytes(reader.get(), copy_.get(), size_);
        if (::fsync(copy_.get()) != 0) throw RuntimeError::fromErrno(errno);
        // Named only once whole, so a process ended before leaves no half copy.
        if (beside) name_ = linkUnderHiddenName(copy_.get(), folder_, target.name(), "old-content");
        if (!name_.isEmpty()) syncFolder(folder_);
    }
    ~OldCopy()
    {
        if (!name_.isEmpty() && !keep_) ::unlinkat(folder_, name_.constData(), 0);
    }
    OldCopy(const OldCopy&) = delete;
    OldCopy& operator=(const OldCopy&) = delete;

    // Never throws: when the old content cannot go back, its named copy stays for the user.
    void putBack(int out)
    {
        try {
            copyBytes(copy_.get(), out, size_);
            if (::ftruncate(out, size_) != 0 || ::fsync(out) != 0) keep_ = true;
        } catch (const RuntimeError&) {
            keep_ = true;
        }
    }

private:
    int folder_;
    UniqueFd copy_;
    QByteArray name_;
    off_t size_ = 0;
    bool keep_ = false;
};

// Room for `length` bytes in the file open as `out`, before its old content changes.
void makeRoom(int out, off_t length)
{
    if (length <= 0) return;
    // Reserved beyond the end, so the old content stays as it is until the copy begins.
    if (::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, length) == 0) return;
    if (errno != EOPNOTSUPP && errno != ENOSYS) throw RuntimeError::fromErrno(errno);
    // Nothing can be reserved here: count instead, with a margin for the blocks that map the
    // new ones.
    const struct stat info = statOf(out);
    const off_t held = off_t(info.st_blocks) * 512;
    if (length <= held) return;
    struct statvfs volume = {};
    if (::fstatvfs(out, &volume) != 0) throw RuntimeError::fromErrno(errno);
    const unsigned long long blocks = ::geteuid() == 0 ? volume.f_bfree : volume.f_bavail;
    const unsigned long long room = blocks * volume.f_frsize;
    const off_t grows = length - held;
    const unsigned long long needed =
        (unsigned long long)(grows + grows / 64) + 16ULL * volume.f_frsize;
    if (room < needed) throw RuntimeError::fromErrno(ENOSPC);
}

} // namespace

void rewriteInPlace(const SaveTarget& target, int out, int content, off_t length)
{
    OldCopy old(target, out);
    makeRoom(out, length);
    try {
        copyBytes(content, out, length);
        if (::ftruncate(out, length) != 0 || ::fsync(out) != 0)
            throw RuntimeError::fromErrno(errno);
    } catch (const RuntimeError&) {
        old.putBack(out);
        throw;
    }
}
