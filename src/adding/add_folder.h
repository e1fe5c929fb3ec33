#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

class ErrorReporter;
class EventPump;
class RowList;

namespace engine {
class DirectoryWalker;
struct EntryInfo;
struct FolderListing;
} // namespace engine

namespace FileSystem {
class FolderHandles;
} // namespace FileSystem

// The folder scan and the folder and file tests it shares with the other adding roads.
namespace AddFolder {

// A folder list: native (UTF-8) paths, each ending in a separator, in scan order.
using FolderList = std::vector<std::string>;

// The names (without folder) of the files in one folder that match a wildcard pattern,
// hidden files included, in the order the directory gives them; folders are never listed and
// only names that pass FileExistsByOpen count. "*.*" matches every name. Empty when none.
QStringList ListFilesInFolder(const QString& folder, const QString& pattern);

// True for an existing entry that is not a folder and whose metadata can be read. Paths are
// native bytes; an empty one, or one holding a NUL, names nothing.
bool FileExistsByOpen(std::string_view nativePath);
// True when the path's attributes can be read and say folder.
bool PathIsFolder(std::string_view nativePath);
// True for a name the scan will not descend into: a control character, "?", or bytes that are
// not UTF-8.
bool HasUnsafeCharacters(std::string_view name);

// Collects sub-folders breadth first for one scan. A link is followed to any folder but one its
// own path already runs through (the start's folder and those above it included), so a loop
// ends and a folder reached by two roads is collected by each. In the process file system
// (/proc) a folder is collected once, and a link that leads out of it is not followed.
// Folders are read on a pool of threads ahead of the collection, which takes them in the order
// it would have read them itself.
class SubFolderCollector
{
public:
    SubFolderCollector(ErrorReporter& errors, EventPump& events);
    ~SubFolderCollector();
    SubFolderCollector(const SubFolderCollector&) = delete;
    SubFolderCollector& operator=(const SubFolderCollector&) = delete;

    // Appends the sub-folders of the listed folders (all levels when recursive); drops entries
    // whose sub-folders cannot be read for want of access or because they vanished.
    void GetSubDirectories2016(FolderList& folders, bool recursive);

    // Called with every folder's listing as the collection takes it, in reading order, so
    // whoever lists the files need not read the folder again; `used` when the collection took
    // the folder's sub-folders from it, which makes its files found.
    std::function<void(const engine::FolderListing&, bool used)> onListing;
    // Called with each folder dropped because it cannot be read.
    std::function<void(std::string_view folder, int error)> onUnreadable;

private:
    struct Ancestry;
    struct Folder;
    void collect(std::vector<Folder>& folders, bool recursive, bool textsUnique);
    static void dropFirst(std::vector<Folder>& folders, std::size_t at, bool textsUnique);
    // Drops the unreadable entry at `at` and tells onUnreadable.
    void drop(std::vector<Folder>& folders, std::size_t at, bool textsUnique, int error);
    // The start's own folder and every folder above it.
    static std::shared_ptr<const Ancestry> ancestryOf(const std::string& start);
    bool firstInProcessFiles(const engine::FolderListing& listing, const engine::EntryInfo& entry);
    void startReading(const std::vector<Folder>& folders);
    engine::FolderListing take(const std::string& folder);

    ErrorReporter& errors_;
    EventPump& events_;
    std::set<std::pair<dev_t, ino_t>> processFolders_; // folders in /proc collected so far
    // The folders whose sub-folders were collected last, so that those are checked and read
    // through them rather than by their whole paths.
    std::unique_ptr<FileSystem::FolderHandles> parents_;
    std::unique_ptr<engine::DirectoryWalker> walker_; // lives for one collection
};

// Told of each folder the scan drops because it cannot be read (its path without the trailing
// separator, and the errno): the window drops them without a word, the check mode says so.
using UnreadableFolder = std::function<void(std::string_view folder, int error)>;

// Appends to the list every file of the folder's tree whose name matches the pattern, folder
// by folder in scan order, except "~" names, files that cannot be opened and writable
// dot-files (attribute value 34). Errors other than those of the sub-folder collection reach
// the caller.
void AddFolderTreeFiles(RowList& list, std::string_view nativeFolder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events,
                        const UnreadableFolder& unreadable = {});
void AddFolderTreeFiles(RowList& list, const QString& folder, const QString& pattern,
                        ErrorReporter& errors, EventPump& events);

} // namespace AddFolder
