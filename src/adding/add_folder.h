#pragma once

#include <QString>
#include <QStringList>

// The folder scan and the folder and file tests it shares with the other adding roads.
namespace AddFolder {

// The names (without folder) of the files in one folder that match a wildcard pattern,
// hidden files included, in the order the directory gives them; folders are never listed and
// only names that pass FileExistsByOpen count. "*.*" matches every name. Empty when none.
QStringList ListFilesInFolder(const QString& folder, const QString& pattern);

// True for an existing entry that is not a folder and whose metadata can be read.
bool FileExistsByOpen(const QString& path);

// Wildcard match of one name: "*" any run, "?" one character, letter case ignored;
// "*.*" matches every name, with or without a dot.
bool MatchesPattern(const QString& name, const QString& pattern);

} // namespace AddFolder
