#include "adding/drop_files.h"

#include "adding/add_folder.h"
#include "lists/row_list.h"

#include <QMimeData>
#include <QUrl>
#include <exception>

namespace DropFiles {

bool offersFileList(const QMimeData& data)
{
    if (!data.hasUrls()) return false;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) return true;
    return false;
}

QStringList droppedPaths(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

void addDroppedItems(RowList& list, const QStringList& paths, ErrorReporter& errors,
                     EventPump& events)
{
    for (const QString& path : paths) {
        try {
            if (AddFolder::PathIsFolder(path))
                AddFolder::AddFolderTreeFiles(list, path, QStringLiteral("*.*"), errors, events);
            else
                list.add(path);
        } catch (const std::exception&) {
            // No report belongs to a drop; the remaining items still go in.
        }
    }
}

} // namespace DropFiles
