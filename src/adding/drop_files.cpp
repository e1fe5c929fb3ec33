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

QByteArrayList droppedPaths(const QMimeData& data)
{
    QByteArrayList paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        // The URL's escapes carry the name's own bytes; a decoded text would lose those that
        // are not UTF-8.
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!url.host().isEmpty()) path.prepend("//" + url.host().toUtf8());
        paths << path;
    }
    return paths;
}

void addDroppedItems(RowList& list, const QByteArrayList& paths, ErrorReporter& errors,
                     EventPump& events, const QString& pattern,
                     const AddFolder::UnreadableFolder& unreadable)
{
    for (const QByteArray& path : paths) {
        try {
            const std::string_view native(path.constData(), std::size_t(path.size()));
            if (AddFolder::PathIsFolder(native))
                AddFolder::AddFolderTreeFiles(list, native, pattern, errors, events, unreadable);
            else
                list.addUtf8(native);
        } catch (const std::exception&) {
            // No report belongs to a drop; the remaining items still go in.
        }
    }
}

} // namespace DropFiles
