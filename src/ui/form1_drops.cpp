#include "ui/form1.h"

#include "adding/drop_files.h"

#include <QDropEvent>
#include <QMimeData>

// Drops from the desktop onto the file list.

void Form1::connectDropHandlers()
{
    // Drops land on the viewport, which passes them to the list's own handlers.
    ListView1Widget->viewport()->setAcceptDrops(true);
    connect(ListView1Widget, &ListViewWidget::dragEntered, this,
            [this](QDragEnterEvent* event) { ListView1_OLEDragOver(event); });
    connect(ListView1Widget, &ListViewWidget::dragMoved, this,
            [this](QDragMoveEvent* event) { ListView1_OLEDragOver(event); });
    connect(ListView1Widget, &ListViewWidget::dropped, this,
            [this](QDropEvent* event) { ListView1_OLEDragDrop(event); });
}

void Form1::ListView1_OLEDragOver(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data && DropFiles::offersFileList(*data)) {
        event->acceptProposedAction();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

void Form1::ListView1_OLEDragDrop(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data || !DropFiles::offersFileList(*data)) {
        event->ignore();
        return;
    }
    // The event may not outlive the events processed during a long folder scan.
    const QStringList paths = DropFiles::droppedPaths(*data);
    event->acceptProposedAction();
    // A dropped folder's scan lets the user's events through, as the folder scan does.
    runCommand(CommandScope::Input::LetThrough,
               [&] { DropFiles::addDroppedItems(files_, paths, errors_, platform_.events); });
}
