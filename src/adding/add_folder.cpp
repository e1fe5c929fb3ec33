#include "adding/add_folder.h"

#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>

namespace AddFolder {

namespace {

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isRegularOrOther(int dirFd, const dirent* entry)
{
    // The entry's own type spares a call per file; links and unknown types need a look.
    if (entry->d_type == DT_DIR) return false;
    if (entry->d_type == DT_REG) {
        struct stat info {};
        return ::fstatat(dirFd, entry->d_name, &info, 0) == 0;
    }
    struct stat info {};
    return ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace

bool MatchesPattern(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) return true;
    const QByteArray nativePattern = pattern.toUtf8();
    const QByteArray nativeName = name.toUtf8();
    return ::fnmatch(nativePattern.constData(), nativeName.constData(), FNM_CASEFOLD) == 0;
}

QStringList ListFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    const QByteArray native = FileSystem::nativePath(folder.isEmpty() ? QStringLiteral("/") : folder);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(native.constData()));
    if (!dir) return names;
    const int dirFd = ::dirfd(dir.get());
    const bool everyName = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
    const QByteArray nativePattern = pattern.toUtf8();
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if (!everyName && ::fnmatch(nativePattern.constData(), name, FNM_CASEFOLD) != 0) continue;
        if (!isRegularOrOther(dirFd, entry)) continue;
        names << QString::fromUtf8(name);
    }
    return names;
}

bool FileExistsByOpen(const QString& path)
{
    const QByteArray native = FileSystem::nativePath(path);
    if (native.isEmpty() || native.contains('\0')) return false;
    struct stat info {};
    return ::stat(native.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace AddFolder
