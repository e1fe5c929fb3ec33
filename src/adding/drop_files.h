#pragma once

#include <QStringList>

class ErrorReporter;
class EventPump;
class RowList;
class QMimeData;

// Files and folders dropped from the desktop onto the file list.
namespace DropFiles {

// True when the drag carries at least one local file or folder; anything else is refused.
bool offersFileList(const QMimeData& data);
// The local paths of the drag, in the order the source gave them.
QStringList droppedPaths(const QMimeData& data);

// A folder adds every file of its tree; anything else is one row, exactly as delivered. One
// item that fails does not keep the others out.
void addDroppedItems(RowList& list, const QStringList& paths, ErrorReporter& errors,
                     EventPump& events);

} // namespace DropFiles
