#include "platform/save_target.h"

#include "base/runtime_error.h"
#include "platform/file_system.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As the kernel's own limit on links in one path.
constexpr int kMostLinks = 40;

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

struct stat statOf(int fd)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) throw RuntimeError::fromErrno(errno);
    return info;
}

UniqueFd openFolder(const char* path)
{
    UniqueFd fd(::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd) throw openError(errno);
    return fd;
}

QByteArray linkText(int link)
{
    char text[PATH_MAX];
    const ssize_t length = ::readlinkat(link, "", text, sizeof text);
    if (length < 0) throw openError(errno);
    if (std::size_t(length) == sizeof text) throw RuntimeError::fromErrno(ENAMETOOLONG);
    // A link to nothing leads nowhere.
    if (length == 0) throw RuntimeError::pathNotFound();
    return QByteArray(text, length);
}

// The parts of a path still to walk. A link's own parts go in front of the rest.
class Parts
{
public:
    // Throws "is a directory" when the path can only name a folder: it ends in "/" or ".".
    void putInFront(const QByteArray& path)
    {
        const bool last = parts_.empty();
        const QList<QByteArray> split = path.split('/');
        if (last && (split.back().isEmpty() || split.back() == ".")) throw folderNamed();
        for (auto part = split.rbegin(); part != split.rend(); ++part)
            if (!part->isEmpty() && *part != ".") parts_.push_front(*part);
    }
    bool empty() const { return parts_.empty(); }
    QByteArray take()
    {
        QByteArray part = parts_.front();
        parts_.pop_front();
        return part;
    }
    static RuntimeError folderNamed() { return RuntimeError::fromErrno(EISDIR); }

private:
    std::deque<QByteArray> parts_;
};

} // namespace

SaveTarget SaveTarget::find(const QString& path)
{
    const QByteArray native = FileSystem::requiredNativePath(path);
    SaveTarget target;
    target.folder_ = openFolder(native.startsWith('/') ? "/" : ".");
    struct stat folder = statOf(target.folder());
    Parts parts;
    parts.putInFront(native);
    int links = 0;
    while (!parts.empty()) {
        const QByteArray part = parts.take();
        const bool last = parts.empty();
        UniqueFd entry(
            ::openat(target.folder(), part.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry && !(last && errno == ENOENT)) throw openError(errno);
        struct stat info = {};
        if (entry) info = statOf(entry.get());
        if (entry && S_ISLNK(info.st_mode)) {
            if (sharedSticky(folder) && info.st_uid != ::geteuid() && info.st_uid != folder.st_uid)
                throw RuntimeError::fromErrno(EACCES);
            if (++links > kMostLinks) throw RuntimeError::fromErrno(ELOOP);
            const QByteArray text = linkText(entry.get());
            if (text.startsWith('/')) {
                target.folder_ = openFolder("/");
                folder = statOf(target.folder());
            }
            parts.putInFront(text);
            target.throughLink_ = target.throughLink_ || last;
            continue;
        }
        if (last) {
            target.name_ = part;
            target.file_ = std::move(entry);
            break;
        }
        if (!S_ISDIR(info.st_mode)) throw RuntimeError::pathNotFound();
        target.folder_ = std::move(entry);
        folder = info;
    }
    // "folder/" and "/" name folders.
    if (target.name_.isEmpty()) throw Parts::folderNamed();
    target.folderOwner_ = folder.st_uid;
    target.sharedFolder_ = sharedSticky(folder);
    return target;
}

bool SaveTarget::trusts(uid_t owner) const
{
    return owner == ::geteuid() || owner == folderOwner_;
}

bool saveMeetsSomething(const QString& path)
{
    try {
        return SaveTarget::find(path).file() >= 0;
    } catch (const RuntimeError&) {
        // A link the save refuses is there all the same: the user is asked, then told why not.
        return FileSystem::entryExists(path);
    }
}
