#include "ui/list_view.h"

#include "base/runtime_error.h"
#include "ui/twips.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

ListViewWidget::ListViewWidget(QWidget* parent) : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setHighlightSections(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    fitRowHeight();
}

void ListViewWidget::fitRowHeight()
{
    // The first row's needs stand for every row's, as the rows differ only in their texts.
    int height = model() && model()->rowCount() > 0 ? sizeHintForRow(0) : 0;
    if (height <= 0) height = fontMetrics().height() + 4;
    if (verticalHeader()->defaultSectionSize() != height)
        verticalHeader()->setDefaultSectionSize(height);
}

void ListViewWidget::rowsInserted(const QModelIndex& parent, int first, int last)
{
    QTableView::rowsInserted(parent, first, last);
    if (first == 0) fitRowHeight();
}

void ListViewWidget::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitRowHeight();
}

QModelIndex ListViewWidget::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    switch (action) {
    case MoveHome:
    case MoveEnd:
        return QTableView::moveCursor(action, modifiers | Qt::ControlModifier);
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(action == MoveLeft
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
        return currentIndex();
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void ListViewWidget::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    emit mousePressed(event);
}

void ListViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    // The view's own rubber-band selection would fight the window's reordering.
    emit mouseMoved(event);
}

void ListViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    emit mouseReleased(event);
}

void ListViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void ListViewWidget::keyPressEvent(QKeyEvent* event)
{
    // The Menu key arrives as a context menu from the window system too, on X11: the menu
    // is open by then and takes it.
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        event->accept();
        emit menuRequested(keyboardMenuPoint());
        return;
    }
    QTableView::keyPressEvent(event);
    emit keyPressed(event);
}

void ListViewWidget::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    emit menuRequested(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                   : keyboardMenuPoint());
}

QPoint ListViewWidget::keyboardMenuPoint() const
{
    const QRect row = visualRect(currentIndex());
    const QPoint point =
        row.isValid() && viewport()->rect().intersects(row) ? row.bottomLeft() : QPoint(0, 0);
    return viewport()->mapToGlobal(point);
}

void ListViewWidget::dragEnterEvent(QDragEnterEvent* event)
{
    emit dragEntered(event);
}

void ListViewWidget::dragMoveEvent(QDragMoveEvent* event)
{
    emit dragMoved(event);
}

void ListViewWidget::dropEvent(QDropEvent* event)
{
    emit dropped(event);
}

ListView::ListView(ListViewWidget* widget, RowList& rows) : widget_(widget), rows_(rows)
{
    widget_->setModel(&rows_.model());
    // The view's own selection model goes; the list's is the one the commands read.
    QItemSelectionModel* own = widget_->selectionModel();
    widget_->setSelectionModel(&rows_.selection());
    delete own;
}

void ListView::setColumnWidth(int column, int twips)
{
    if (column < 1 || column > rows_.columnCount()) throw RuntimeError::indexOutOfBounds();
    widget_->setColumnWidth(column - 1, twipsToPixels(twips));
}

void ListView::ensureVisible(int row)
{
    const int index = rows_.modelRow(row);
    rows_.model().publishPending();
    widget_->scrollTo(rows_.model().index(index, 0));
}

int ListView::hitTest(const QPoint& viewportPoint) const
{
    const QModelIndex index = widget_->indexAt(viewportPoint);
    return index.isValid() ? index.row() + 1 : 0;
}
