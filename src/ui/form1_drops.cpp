#include "ui/form1.h"

#include "adding/drop_files.h"
#include "commands/drop.h"

#include <QDropEvent>
#include <QMimeData>

// Drops from the desktop onto the file list.

void Form1::connectDropHandlers()
{
    // Drops land on the viewport, which passes them to the list's own handlers.
    ListView1->widget()->viewport()->setAcceptDrops(true);
    connect(ListView1->widget(), &ListViewWidget::dragEntered, this,
            [this](QDragEnterEvent* event) { ListView1_OLEDragOver(event); });
    connect(ListView1->widget(), &ListViewWidget::dragMoved, this,
            [this](QDragMoveEvent* event) { ListView1_OLEDragOver(event); });
    connect(ListView1->widget(), &ListViewWidget::dropped, this,
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
    const QByteArrayList paths = DropFiles::droppedPaths(*data);
    event->acceptProposedAction();
    DropItems drop(files_, paths, context_);
    run(drop);
}
