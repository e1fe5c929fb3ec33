#include "adding/add_folder.h"

#include "adding/normalize_backslashes.h"
#include "core/error_trap.h"
#include "core/settings_keys.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/directory.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/settings_store.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>

namespace AddFolder {

namespace {

// A folder in the list is a root when nothing but separators remain.
bool isRoot(std::string_view folder)
{
    return !folder.empty() && folder.find_first_not_of('/') == std::string_view::npos;
}

// Folders whose value is exactly directory, hidden and system (with or without a reparse
// point) are neither descended into nor listed, unless they are a root.
bool mayDescend(const std::string& folder)
{
    using namespace FileSystem;
    constexpr int kSystemFolder = Directory | Hidden | System;
    if (isRoot(folder)) return true;
    const int value = attributesAt(AT_FDCWD, folder.c_str());
    return value != kSystemFolder && value != (kSystemFolder | ReparsePoint);
}

bool isUnsafeCode(int code)
{
    return code < 32 || (code >= 127 && code <= 159) || code == '?';
}

} // namespace

QStringList ListFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    QByteArray native = FileSystem::nativePath(folder);
    if (!native.endsWith('/')) native += '/';
    if (native.contains('\0')) return names;
    FileSystem::forEachFile(native.constData(), FileSystem::NamePattern(pattern),
                            [&](int, const char* name) { names << QString::fromUtf8(name); });
    return names;
}

bool FileExistsByOpen(const QString& path)
{
    const std::optional<QByteArray> native = FileSystem::checkedNativePath(path);
    return native && FileSystem::fileExistsAt(AT_FDCWD, native->constData());
}

bool PathIsFolder(const QString& path)
{
    const std::optional<QByteArray> native = FileSystem::checkedNativePath(path);
    return native && FileSystem::isFolderAt(AT_FDCWD, native->constData());
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
        const int code = Utf8::decode(name, i);
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
        if (!trap.test(104, [&] { return FileSystem::isFolderAt(AT_FDCWD, folder.c_str()); }))
            continue;
        if (folder.size() >= PATH_MAX) continue; // 106
        trap.line(108, [&] { events_.processPendingEvents(); });
        // A value that cannot be read lets the listing try.
        if (!trap.test(110, [&] { return mayDescend(folder); })) continue;

        // 112: the sub-folders, in the order the file system gives them.
        FileSystem::FolderReader reader(folder.c_str());
        if (!reader.isOpen()) {
            const int error = reader.openError();
            if (error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR) {
                // Unreadable or vanished: neither its sub-folders nor its files are listed.
                const auto found = std::find(folders.begin(), folders.end(), folder);
                if (found != folders.end()) folders.erase(found);
            } else {
                trap.line(112, [&] { throw PlatformError::fromErrno(error); });
            }
            continue;
        }
        dev_t device = 0;
        ino_t inode = 0;
        if (FileSystem::folderIdentityAt(reader.fd(), ".", device, inode))
            firstVisit(device, inode);
        while (const dirent* entry = reader.next()) {
            if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            trap.line(114, [&] { events_.processPendingEvents(); });
            const std::string_view name(entry->d_name);
            if (name.size() >= PATH_MAX || HasUnsafeCharactersUtf8(name)) continue;
            if (!FileSystem::folderIdentityAt(reader.fd(), entry->d_name, device, inode)) continue;
            if (!firstVisit(device, inode)) continue;
            std::string subFolder;
            subFolder.reserve(folder.size() + name.size() + 1);
            subFolder.append(folder).append(name).push_back('/');
            newFolders.push_back(std::move(subFolder));
        }
        if (const int error = reader.readError())
            trap.line(112, [&] { throw PlatformError::fromErrno(error); });
    }

    if (recursive && !newFolders.empty()) // 116
        trap.line(118, [&] { GetSubDirectories2016(newFolders, true); });

    for (std::string& folder : newFolders) { // 120
        if (!trap.test(122, [&] { return FileSystem::isFolderAt(AT_FDCWD, folder.c_str()); }))
            continue;
        trap.line(124, [&] { events_.processPendingEvents(); });
        if (trap.test(126, [&] { return mayDescend(folder); }))
            trap.line(128, [&] { folders.push_back(std::move(folder)); });
    }
}

void AddFolderTreeFiles(RowList& list, const QString& folder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events)
{
    FolderList folders{FileSystem::nativePath(folder).toStdString() + '/'};
    SubFolderCollector(errors, events).GetSubDirectories2016(folders, true);

    const FileSystem::NamePattern namePattern(pattern);
    std::string path;
    for (std::string& entry : folders) {
        entry.pop_back(); // the trailing separator
        // An empty folder path names the root, as the joined path does.
        const char* listed = entry.empty() ? "/" : entry.c_str();
        FileSystem::forEachFile(listed, namePattern, [&](int dirFd, const char* name) {
            if (name[0] == '~') return;
            // Only a dot-file can read exactly hidden plus archive.
            constexpr int kWritableDotFile = FileSystem::Hidden | FileSystem::Archive;
            if (name[0] == '.') {
                try {
                    if (FileSystem::attributesAt(dirFd, name) == kWritableDotFile) return;
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

AddAllFilesInFolder::AddAllFilesInFolder(RowList& files, WindowPointer& pointer, Dialogs& dialogs,
                                         SettingsStore& settings, ErrorReporter& errors,
                                         EventPump& events)
    : files_(files), pointer_(pointer), dialogs_(dialogs), settings_(settings), errors_(errors),
      events_(events)
{
}

void AddAllFilesInFolder::run()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton10_Click"));
    QString extension;
    trap.line(100, [&] {
        extension = dialogs_.inputBox(
            QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                           "files, doc for all doc files, etc.)"),
            QString(), settings_.read(SettingsKey::Extension, QStringLiteral("*")));
    });
    if (extension.isEmpty()) return; // 102
    trap.line(104, [&] { settings_.write(SettingsKey::Extension, extension); });

    QString folder;
    trap.line(106, [&] { lastFolder_ = settings_.read(SettingsKey::LastFolder, QString()); });
    trap.line(108, [&] {
        folder = dialogs_.browseForFolder(QStringLiteral("Please select folder:"), lastFolder_);
    });
    if (folder.isEmpty()) return; // 110
    trap.line(112, [&] { lastFolder_ = folder; });
    trap.line(114, [&] { settings_.write(SettingsKey::LastFolder, folder); });

    trap.line(116, [&] { pointer_.setMousePointer(PointerSetting::Busy); });
    trap.line(118, [&] {
        AddFolderTreeFiles(files_, folder, QStringLiteral("*.") + extension, errors_, events_);
    });
    trap.line(120, [&] { pointer_.setMousePointer(PointerSetting::Default); });
}

} // namespace AddFolder
