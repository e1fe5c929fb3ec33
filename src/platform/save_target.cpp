#include "platform/save_target.h"

#include "base/runtime_error.h"
#include "platform/file_system.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folders where the kernel's protected_symlinks rule applies.
bool sharedSticky(const struct stat& folder)
{
    return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
}

RuntimeError openError(int err)
{
    // A folder on the way is missing, or is no folder.
    if (err == ENOENT || err == ENOTDIR) return RuntimeError::pathNotFound();
    return RuntimeError::fromErrno(err);
}

} // namespace

SaveTarget SaveTarget::find(const QString& path)
{
    const QByteArray native = FileSystem::requiredNativePath(path);
    const qsizetype slash = native.lastIndexOf('/');
    SaveTarget target;
    target.name_ = native.mid(slash + 1);
    // "folder/" names the folder itself.
    if (target.name_.isEmpty()) throw RuntimeError::fromErrno(EISDIR);
    const QByteArray folderPath = slash < 0    ? QByteArrayLiteral(".")
                                  : slash == 0 ? QByteArrayLiteral("/")
                                               : native.left(slash);

    target.folder_.reset(::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!target.folder_) throw openError(errno);
    struct stat folder = {};
    if (::fstat(target.folder(), &folder) != 0) throw RuntimeError::fromErrno(errno);

    UniqueFd entry(
        ::openat(target.folder(), target.name_.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!entry && errno != ENOENT) throw openError(errno);
    struct stat info = {};
    if (entry && ::fstat(entry.get(), &info) != 0) throw RuntimeError::fromErrno(errno);
    if (!entry || !S_ISLNK(info.st_mode)) {
        // Nothing there yet, or the file itself: whatever is put there later is not followed.
        if (sharedSticky(folder)) target.nameFlags_ = O_NOFOLLOW;
        target.file_ = std::move(entry);
        return target;
    }
    target.throughLink_ = true;
    if (sharedSticky(folder) && info.st_uid != ::geteuid() && info.st_uid != folder.st_uid)
        throw RuntimeError::fromErrno(EACCES);
    // Only its owner, the folder's owner or root can swap such a link, so the name may be
    // followed again later. The kernel still applies its own rules to every link on the way.
    target.file_.reset(::openat(target.folder(), target.name_.constData(), O_PATH | O_CLOEXEC));
    if (!target.file_ && errno != ENOENT) throw openError(errno);
    return target;
}

QString SaveTarget::filePath() const
{
    if (!file_) return {};
    char proc[32];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", file_.get());
    char path[PATH_MAX];
    const ssize_t length = ::readlink(proc, path, sizeof path);
    if (length <= 0 || std::size_t(length) == sizeof path || path[0] != '/') return {};
    return QFile::decodeName(QByteArray(path, length));
}

SavePreview previewSave(const QString& path)
{
    SavePreview preview{false, path};
    try {
        const SaveTarget target = SaveTarget::find(path);
        preview.exists = target.file() >= 0;
        if (preview.exists && target.throughLink()) {
            const QString real = target.filePath();
            if (!real.isEmpty()) preview.writtenPath = real;
        }
    } catch (const RuntimeError&) {
        // A link the save refuses is there all the same: the user is asked, then told why not.
        preview.exists = FileSystem::entryExists(path);
    }
    return preview;
}
