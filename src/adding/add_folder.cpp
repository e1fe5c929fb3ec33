#include "adding/add_folder.h"

#include "adding/normalize_backslashes.h"
#include "core/error_trap.h"
#include "core/settings_keys.h"
#include "core/window_pointer.h"
#include "engine/directory_walker.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/directory.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "base/runtime_error.h"
#include "platform/settings_store.h"
#include "base/utf8.h"

#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace AddFolder {

namespace {

// Folder reads mostly wait on the disk, so the pool is sized for that rather than for cores.
const engine::DirectoryWalker::Options kWalkerOptions{12, 512};
// How long a wait for a folder's reading lasts before the window gets a held round.
constexpr std::chrono::milliseconds kWaitSlice{10};

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

bool NativePathIsFolder(std::string_view nativePath)
{
    // A NUL inside would name another, shorter path.
    if (nativePath.empty() || nativePath.find('\0') != std::string_view::npos) return false;
    return FileSystem::isFolderAt(AT_FDCWD, std::string(nativePath).c_str());
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

SubFolderCollector::SubFolderCollector(ErrorReporter& errors, EventPump& events)
    : errors_(errors), events_(events)
{
}

SubFolderCollector::~SubFolderCollector() = default;

bool SubFolderCollector::firstVisit(dev_t device, ino_t inode)
{
    return collected_.emplace(device, inode).second;
}

engine::FolderListing SubFolderCollector::take(const std::string& folder)
{
    engine::FolderListing listing;
    while (walker_) {
        const auto taken = walker_->takeFor(listing, kWaitSlice);
        if (taken == engine::DirectoryWalker::Take::TimedOut) {
            events_.processHeldEvents();
            continue;
        }
        if (taken == engine::DirectoryWalker::Take::Ready && listing.path == folder) return listing;
        // Out of step with the folders asked for: read the rest here, in order, as before.
        walker_.reset();
    }
    return engine::readFolder(folder);
}

void SubFolderCollector::GetSubDirectories2016(FolderList& folders, bool recursive)
{
    ErrorTrap trap(errors_, QStringLiteral("AddFolder"), QStringLiteral("GetSubDirectories2016"),
                   QStringLiteral("Pemberloft2021/08/31"));
    // The outermost call starts the reading threads and stops them, also when it unwinds;
    // each folder is queued as soon as it is collected, which is the order it is read in.
    const bool outermost = depth_ == 0;
    ++depth_;
    const auto leave = qScopeGuard([&] {
        if (--depth_ == 0) walker_.reset();
    });
    if (outermost) startReading(folders);
    FolderList newFolders; // 100

    const FolderList entries = folders; // 102: entries may leave the list as they are read
    for (const std::string& folder : entries) {
        // Every queued folder is taken, read or not, so the rest stay in step.
        const auto taken = [&] {
            engine::FolderListing listing = take(folder);
            if (onListing) onListing(listing);
            return listing;
        };
        if (!trap.test(104, [&] { return FileSystem::isFolderAt(AT_FDCWD, folder.c_str()); })) {
            taken();
            continue;
        }
        if (folder.size() >= PATH_MAX) { // 106
            taken();
            continue;
        }
        trap.line(108, [&] { events_.processPendingEvents(); });
        // A value that cannot be read lets the listing try.
        if (!trap.test(110, [&] { return mayDescend(folder); })) {
            taken();
            continue;
        }

        // 112: the sub-folders, in the order the file system gave them.
        const engine::FolderListing listing = taken();
        if (const int error = listing.openError) {
            if (error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR) {
                // Unreadable or vanished: neither its sub-folders nor its files are listed.
                const auto found = std::find(folders.begin(), folders.end(), folder);
                if (found != folders.end()) folders.erase(found);
            } else {
                trap.line(112, [&] { throw RuntimeError::fromErrno(error); });
            }
            continue;
        }
        if (listing.device != 0 || listing.inode != 0) firstVisit(listing.device, listing.inode);
        for (const engine::DirEntry& entry : listing.entries) {
            if (entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN) continue;
            trap.line(114, [&] { events_.processPendingEvents(); });
            const std::string_view name(entry.name);
            if (name.size() >= PATH_MAX || HasUnsafeCharactersUtf8(name)) continue;
            // A folder's entry always carries what a stat that follows links said.
            if (!entry.isFolder() || !firstVisit(entry.info->device, entry.info->inode)) continue;
            std::string subFolder;
            subFolder.reserve(folder.size() + name.size() + 1);
            subFolder.append(folder).append(name).push_back('/');
            if (walker_) walker_->submit(subFolder);
            newFolders.push_back(std::move(subFolder));
        }
        if (const int error = listing.readError)
            trap.line(112, [&] { throw RuntimeError::fromErrno(error); });
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

void SubFolderCollector::startReading(const FolderList& folders)
{
    try {
        walker_ = std::make_unique<engine::DirectoryWalker>(kWalkerOptions);
        for (const std::string& folder : folders)
            walker_->submit(folder);
    } catch (const std::exception&) {
        walker_.reset(); // no threads to be had: the folders are read here, one by one
    }
}

namespace {

// The files of each folder the scan read, kept from the one reading of the folder: only the
// names the scan will add, packed one after another, each ending in a NUL.
class KeptFiles
{
public:
    explicit KeptFiles(const FileSystem::NamePattern& pattern) : pattern_(pattern) {}

    void keep(const engine::FolderListing& listing)
    {
        Folder& kept = folders_.emplace_back();
        kept.path = listing.path;
        for (const engine::DirEntry& entry : listing.entries) {
            if (entry.type == DT_DIR || !pattern_.matches(entry.name.c_str())) continue;
            if (!entry.existsAsNonFolder() || entry.name[0] == '~') continue;
            if (isWritableDotFile(entry)) continue;
            kept.names.append(entry.name).push_back('\0');
        }
    }

    // The names kept for a folder of the final list, handed over. That list keeps the reading
    // order, so the search goes on from the last folder found.
    std::string takeNames(const std::string& folder)
    {
        for (std::size_t at = next_; at < folders_.size(); ++at) {
            if (folders_[at].path != folder) continue;
            next_ = at + 1;
            std::string().swap(folders_[at].path);
            return std::move(folders_[at].names);
        }
        // Never read during the collection: read it now.
        keep(engine::readFolder(folder));
        std::string names = std::move(folders_.back().names);
        folders_.pop_back();
        return names;
    }

private:
    struct Folder
    {
        std::string path;
        std::string names;
    };

    // Only a dot-file can read exactly hidden plus archive: a writable regular file, no link.
    // A value that could not be read lets the row in.
    static bool isWritableDotFile(const engine::DirEntry& entry)
    {
        if (entry.name[0] != '.' || !entry.info || entry.info->error != 0) return false;
        return !entry.info->isLink && S_ISREG(entry.info->mode) && entry.info->writable;
    }

    const FileSystem::NamePattern& pattern_;
    std::vector<Folder> folders_;
    std::size_t next_ = 0;
};

} // namespace

void AddFolderTreeFiles(RowList& list, const QString& folder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events)
{
    const QByteArray native = FileSystem::nativePath(folder);
    AddFolderTreeFiles(list, std::string_view(native.constData(), std::size_t(native.size())),
                       pattern, errors, events);
}

void AddFolderTreeFiles(RowList& list, std::string_view nativeFolder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events)
{
    FolderList folders{std::string(nativeFolder) + '/'};
    const FileSystem::NamePattern namePattern(pattern);
    KeptFiles files(namePattern);
    {
        SubFolderCollector collector(errors, events);
        collector.onListing = [&](const engine::FolderListing& listing) { files.keep(listing); };
        collector.GetSubDirectories2016(folders, true);
    }

    std::string path;
    for (std::string& entry : folders) {
        events.processHeldEvents();
        const std::string names = files.takeNames(entry);
        entry.pop_back(); // the trailing separator
        for (std::size_t at = 0; at < names.size();) {
            const std::size_t end = names.find('\0', at);
            path.assign(entry).append(1, '/').append(names, at, end - at);
            NormalizeBackslashesInPlace(path);
            list.addUtf8(path);
            at = end + 1;
        }
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
