#pragma once

#include "adding/add_folder.h"

#include <QByteArrayList>
#include <QString>

class ErrorReporter;
class EventPump;
class RowList;
class QMimeData;

// Files and folders dropped from the desktop onto the file list.
namespace DropFiles {

// True when the drag carries at least one local file or folder; anything else is refused.
bool offersFileList(const QMimeData& data);
// The local paths of the drag, in the order the source gave them, as the file system names
// them: a name that is not UTF-8 keeps its bytes.
QByteArrayList droppedPaths(const QMimeData& data);

// A folder adds every file of its tree (those that match `pattern`; a drop takes them all);
// anything else is one row, exactly as delivered. One item that fails does not keep the others
// out. Paths are the file system's bytes. `unreadable` hears of every folder of a tree that
// could not be read.
void addDroppedItems(RowList& list, const QByteArrayList& paths, ErrorReporter& errors,
                     EventPump& events, const QString& pattern = QStringLiteral("*.*"),
                     const AddFolder::UnreadableFolder& unreadable = {});

} // namespace DropFiles
