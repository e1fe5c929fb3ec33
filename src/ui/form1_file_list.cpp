#include "ui/form1.h"

#include "base/runtime_error.h"
#include "platform/gui/cursor_file.h"

#include <QMouseEvent>
#include <QPixmap>
#include <string>

// Reordering the file list by dragging a row over the others.

namespace {

// Screen rows above and below which an exchange scrolls the list on by one row.
constexpr int kScrollUpBelowY = 305;
constexpr int kScrollDownAboveY = 364;

} // namespace

void Form1::connectFileListPointer()
{
    // Moves arrive without a button held too: the window pointer follows them.
    ListView1->widget()->viewport()->setMouseTracking(true);
    connect(ListView1->widget(), &ListViewWidget::mousePressed, this, [this](QMouseEvent* event) {
        ListView1_MouseDown();
        // The press has selected the row by now, so the click can take it as the dragged row.
        if (ListView1->hitTest(event->position().toPoint()) > 0) ListView1_ItemClick();
    });
    connect(ListView1->widget(), &ListViewWidget::mouseMoved, this, [this](QMouseEvent* event) {
        ListView1_MouseMove(event->position().toPoint(), qRound(event->globalPosition().y()));
    });
    connect(ListView1->widget(), &ListViewWidget::mouseReleased, this, &Form1::ListView1_MouseUp);
}

void Form1::ListView1_MouseDown()
{
    dragging_ = true;
}

void Form1::ListView1_ItemClick()
{
    // Read at every click, so a replaced icon shows at once; without one the drag still works.
    QCursor pointer(Qt::DragMoveCursor);
    try {
        pointer = loadCursorFile(platform_.programFolder + QStringLiteral("/drag.ico"));
    } catch (const RuntimeError&) {
    }
    ListView1->widget()->setCursor(pointer);
    ListView1->widget()->setDragEnabled(false); // rows never leave the list; drops still arrive
    const int selected = fileList().selectedRow();
    draggedRow_ = selected > 0 ? QPersistentModelIndex(fileList().model().index(selected - 1, 0))
                               : QPersistentModelIndex();
}

int Form1::draggedRow() const
{
    return draggedRow_.isValid() ? draggedRow_.row() + 1 : 0;
}

void Form1::ListView1_MouseMove(const QPoint& point, int screenY)
{
    if (!isBusy()) setMousePointer(PointerSetting::Default);
    if (!dragging_) return;

    RowList& list = fileList();
    // Only rows on show count: the view would otherwise answer for points beside it.
    const int under =
        ListView1->widget()->viewport()->rect().contains(point) ? ListView1->hitTest(point) : 0;
    const int dragged = draggedRow();
    if (under == 0 || dragged == 0) return;
    if (list.textUtf8(under) == list.textUtf8(dragged)) return;

    // Only the texts trade places; the rows stay where they are. They trade as bytes, so a
    // name that is not UTF-8 still names its file afterwards.
    const std::string carried(list.textUtf8(dragged));
    const std::string entered(list.textUtf8(under));
    list.setTextUtf8(dragged, entered);
    list.setTextUtf8(under, carried);
    list.select(under);
    draggedRow_ = QPersistentModelIndex(list.model().index(under - 1, 0));

    if (screenY < kScrollUpBelowY) {
        if (under > 1) ListView1->ensureVisible(under - 1);
    } else if (screenY > kScrollDownAboveY) {
        if (under < list.count()) ListView1->ensureVisible(under + 1);
    }
}

// Back to the window's own pointer, which is the arrow unless a command shows the busy one.
void Form1::ListView1_MouseUp()
{
    dragging_ = false;
    ListView1->widget()->unsetCursor();
}
