#include "adding/add_folder.h"

#include "adding/normalize_backslashes.h"
#include "core/window_pointer.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "platform/list_view.h"
#include "platform/platform_error.h"
#include "platform/settings_store.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
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
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool matchesEveryName(const QString& pattern)
{
    return pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
}

// Only "*" and "?" are wildcards in a pattern; fnmatch's brackets and escapes are taken
// literally.
QByteArray fnmatchPattern(const QString& pattern)
{
    QByteArray escaped;
    for (const char c : pattern.toUtf8()) {
        if (c == '[' || c == ']' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// FileExistsByOpen for an entry of an open folder: the entry's metadata can be read and it is
// not a folder (a link counts as what it points to).
bool fileExistsAt(int dirFd, const char* name)
{
    struct stat info = {};
    return ::fstatat(dirFd, name, &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

// Calls visit(name) for each file of a folder that matches the pattern and passes
// FileExistsByOpen, in directory order. Returns false when the folder cannot be opened.
template <typename Visit>
bool forEachFile(const char* folder, const QString& pattern, Visit&& visit)
{
    DirHandle dir(::opendir(folder));
    if (!dir) return false;
    const int dirFd = ::dirfd(dir.get());
    const bool everyName = matchesEveryName(pattern);
    const QByteArray nativePattern = fnmatchPattern(pattern);
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (isDotOrDotDot(name) || entry->d_type == DT_DIR) continue;
        if (!everyName && ::fnmatch(nativePattern.constData(), name, FNM_CASEFOLD) != 0) continue;
        if (!fileExistsAt(dirFd, name)) continue;
        visit(dirFd, name);
    }
    return true;
}

// A folder in the list is a root when nothing but separators remain.
bool isRoot(std::string_view folder)
{
    return !folder.empty() && folder.find_first_not_of('/') == std::string_view::npos;
}

// Folders with exactly these values (directory, hidden, system; the same plus a reparse point)
// are neither descended into nor listed, unless they are a root.
bool mayDescend(const std::string& folder)
{
    if (isRoot(folder)) return true;
    const int value = FileSystem::attributesAt(AT_FDCWD, folder.c_str());
    return value != 22 && value != 1046;
}

bool pathIsFolder(const char* path)
{
    try {
        return (FileSystem::attributesAt(AT_FDCWD, path) & FileSystem::Directory) != 0;
    } catch (const PlatformError&) {
        return false;
    }
}

// Decodes one UTF-8 sequence at text[i]; returns the code point or -1 when malformed.
int decodeUtf8(std::string_view text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    int code = 0;
    int least = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    for (; extra > 0; --extra) {
        if (i >= text.size()) return -1;
        const auto next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0) != 0x80) return -1;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
    return code;
}

bool isUnsafeCode(int code)
{
    return code < 32 || (code >= 127 && code <= 159) || code == '?';
}

} // namespace

QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString BrowseForFolder(Dialogs& dialogs, const QString& title, const QString& initialFolder)
{
    return dialogs.browseForFolder(title, initialFolder);
}

QStringList ListFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    QByteArray native = FileSystem::nativePath(folder);
    if (!native.endsWith('/')) native += '/';
    if (native.contains('\0')) return names;
    forEachFile(native.constData(), pattern,
                [&](int, const char* name) { names << QString::fromUtf8(name); });
    return names;
}

bool FileExistsByOpen(const QString& path)
{
    const QByteArray native = FileSystem::nativePath(path);
    if (native.isEmpty() || native.contains('\0')) return false;
    return fileExistsAt(AT_FDCWD, native.constData());
}

bool PathIsFolder(const QString& path)
{
    const QByteArray native = FileSystem::nativePath(path);
    if (native.isEmpty() || native.contains('\0')) return false;
    return pathIsFolder(native.constData());
}

bool HasUnsafeCharacters(const QString& name)
{
    // A name read from bytes that are not UTF-8 carries replacement characters; lone
    // surrogates become "?" on the way to UTF-8.
    return name.contains(QChar::ReplacementCharacter) ||
           HasUnsafeCharactersUtf8(name.toUtf8().toStdString());
}

bool HasUnsafeCharactersUtf8(std::string_view name)
{
    for (std::size_t i = 0; i < name.size();) {
        const int code = decodeUtf8(name, i);
        if (code < 0 || isUnsafeCode(code)) return true;
    }
    return false;
}

bool SubFolderCollector::firstVisit(dev_t device, ino_t inode)
{
    return collected_.emplace(device, inode).second;
}

void SubFolderCollector::GetSubDirectories2016(FolderList& folders, bool recursive)
{
    ErrorTrap trap(errors_, QStringLiteral("AddFolder"), QStringLiteral("GetSubDirectories2016"),
                   QStringLiteral("Pemberloft2021/08/31"));
    FolderList newFolders; // 100

    const FolderList entries = folders; // 102: entries may leave the list as they are read
    for (const std::string& folder : entries) {
        if (!trap.test(104, [&] { return pathIsFolder(folder.c_str()); })) continue;
        if (folder.size() >= PATH_MAX) continue; // 106
        trap.line(108, [&] { events_.processPendingEvents(); });
        // A value that cannot be read lets the listing try.
        if (!trap.test(110, [&] { return mayDescend(folder); })) continue;

        // 112: the sub-folders, in the order the file system gives them.
        DirHandle dir(::opendir(folder.c_str()));
        if (!dir) {
            const int error = errno;
            if (error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR) {
                // Unreadable or vanished: neither its sub-folders nor its files are listed.
                const auto found = std::find(folders.begin(), folders.end(), folder);
                if (found != folders.end()) folders.erase(found);
            } else {
                trap.line(112, [&] { throw PlatformError::fromErrno(error); });
            }
            continue;
        }
        const int dirFd = ::dirfd(dir.get());
        struct stat self = {};
        if (::fstat(dirFd, &self) == 0) firstVisit(self.st_dev, self.st_ino);
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (!entry) {
                const int error = errno;
                if (error != 0) trap.line(112, [&] { throw PlatformError::fromErrno(error); });
                break;
            }
            if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            if (isDotOrDotDot(entry->d_name)) continue; // not sub-folders at all
            trap.line(114, [&] { events_.processPendingEvents(); });
            const std::string_view name(entry->d_name);
            if (name.size() >= PATH_MAX || HasUnsafeCharactersUtf8(name)) continue;
            struct stat info = {};
            if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISDIR(info.st_mode)) continue;
            if (!firstVisit(info.st_dev, info.st_ino)) continue;
            std::string subFolder;
            subFolder.reserve(folder.size() + name.size() + 1);
            subFolder.append(folder).append(name).push_back('/');
            newFolders.push_back(std::move(subFolder));
        }
    }

    if (recursive && !newFolders.empty()) // 116
        trap.line(118, [&] { GetSubDirectories2016(newFolders, true); });

    for (std::string& folder : newFolders) { // 120
        if (!trap.test(122, [&] { return pathIsFolder(folder.c_str()); })) continue;
        trap.line(124, [&] { events_.processPendingEvents(); });
        if (trap.test(126, [&] { return mayDescend(folder); }))
            trap.line(128, [&] { folders.push_back(std::move(folder)); });
    }
}

void AddFolderTreeFiles(ListView& list, const QString& folder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events)
{
    FolderList folders{FileSystem::nativePath(folder).toStdString() + '/'};
    SubFolderCollector(errors, events).GetSubDirectories2016(folders, true);

    std::string path;
    for (std::string& entry : folders) {
        entry.pop_back(); // the trailing separator
        // An empty folder path names the root, as the joined path does.
        const char* listed = entry.empty() ? "/" : entry.c_str();
        forEachFile(listed, pattern, [&](int dirFd, const char* name) {
            if (name[0] == '~') return;
            // Only a dot-file can read exactly hidden plus archive.
            if (name[0] == '.') {
                try {
                    if (FileSystem::attributesAt(dirFd, name) == 34) return;
                } catch (const PlatformError&) {
                    // Gone since it was listed: its row goes in, as with any unreadable value.
                }
            }
            path.assign(entry).append(1, '/').append(name);
            NormalizeBackslashesInPlace(path);
            list.addUtf8(path);
        });
    }
}

AddAllFilesInFolder::AddAllFilesInFolder(ListView& files, WindowPointer& pointer, Dialogs& dialogs,
                                         SettingsStore& settings, ErrorReporter& errors,
                                         EventPump& events)
    : files_(files), pointer_(pointer), dialogs_(dialogs), settings_(settings), errors_(errors),
      events_(events)
{
}

void AddAllFilesInFolder::PushButton10_Click()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton10_Click"));
    QString extension;
    trap.line(100, [&] {
        extension = dialogs_.inputBox(
            QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                           "files, doc for all doc files, etc.)"),
            QString(), settings_.read(QStringLiteral("Extension"), QStringLiteral("*")));
    });
    if (extension.isEmpty()) return; // 102
    trap.line(104, [&] { settings_.write(QStringLiteral("Extension"), extension); });

    QString folder;
    trap.line(106, [&] { lastFolder() = settings_.read(QStringLiteral("LastFolder"), QString()); });
    trap.line(108, [&] {
        folder = BrowseForFolder(dialogs_, QStringLiteral("Please select folder:"), lastFolder());
    });
    if (folder.isEmpty()) return; // 110
    trap.line(112, [&] { lastFolder() = folder; });
    trap.line(114, [&] { settings_.write(QStringLiteral("LastFolder"), folder); });

    trap.line(116, [&] { pointer_.setMousePointer(PointerSetting::Busy); });
    trap.line(118, [&] {
        AddFolderTreeFiles(files_, folder, QStringLiteral("*.") + extension, errors_, events_);
    });
    trap.line(120, [&] { pointer_.setMousePointer(PointerSetting::Default); });
}

} // namespace AddFolder
