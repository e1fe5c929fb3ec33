#include "platform/list_view.h"

#include "platform/platform_error.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace {

// Hands a text to `use` as UTF-8; short ASCII texts, the common case, skip the heap.
template <typename Use> void withUtf8(const QString& text, Use&& use)
{
    if (text.size() <= 128) {
        char buffer[128];
        qsizetype i = 0;
        for (; i < text.size() && text[i].unicode() < 0x80; ++i) buffer[i] = char(text[i].unicode());
        if (i == text.size()) return use(std::string_view(buffer, std::size_t(i)));
    }
    const QByteArray utf8 = text.toUtf8();
    use(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace

ListViewWidget::ListViewWidget(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

void ListViewWidget::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    emit mousePressed(event);
}

void ListViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    // The view's own rubber-band selection would fight the window's reordering.
    emit mouseMoved(event);
}

void ListViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    emit mouseReleased(event);
}

void ListViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void ListViewWidget::keyPressEvent(QKeyEvent* event)
{
    QTreeView::keyPressEvent(event);
    emit keyPressed(event);
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

ListView::ListView(ListViewWidget* widget, int textColumns, bool checkable)
    : widget_(widget), model_(new ListModel(textColumns, checkable, widget))
{
    widget_->setModel(model_);
}

QString ListView::columnHeader(int column) const
{
    if (column < 1 || column > columnCount())
        throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    return model_->headers()[column - 1];
}

void ListView::addColumn(const QString& header)
{
    model_->addColumn(header);
}

void ListView::setColumnWidth(int column, int twips)
{
    if (column < 1 || column > columnCount())
        throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    widget_->setColumnWidth(column - 1, (twips + 7) / 15);
}

int ListView::checkedRow(int row) const
{
    if (row < 1 || row > count()) throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    return row - 1;
}

std::string_view ListView::cell(int row, int column) const
{
    const int index = checkedRow(row);
    if (column >= model_->store().textColumns()) return {};
    return model_->store().text(index, column);
}

void ListView::setCell(int row, int column, const QString& text)
{
    const int index = checkedRow(row);
    if (column >= model_->store().textColumns())
        throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    withUtf8(text, [&](std::string_view utf8) { model_->setText(index, column, utf8); });
}

QString ListView::text(int row) const
{
    const std::string_view utf8 = cell(row, 0);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string_view ListView::textUtf8(int row) const
{
    return cell(row, 0);
}

void ListView::setText(int row, const QString& text)
{
    setCell(row, 0, text);
}

QString ListView::subItem(int row, int item) const
{
    if (item < 1) throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    const std::string_view utf8 = cell(row, item);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

void ListView::setSubItem(int row, int item, const QString& text)
{
    if (item < 1) throw PlatformError(35600, QStringLiteral("Index out of bounds"));
    setCell(row, item, text);
}

bool ListView::checked(int row) const
{
    return model_->store().checked(checkedRow(row));
}

void ListView::setChecked(int row, bool checked)
{
    model_->setChecked(checkedRow(row), checked);
}

int ListView::add(const QString& text)
{
    int row = 0;
    withUtf8(text, [&](std::string_view utf8) { row = addUtf8(utf8); });
    return row;
}

int ListView::addUtf8(std::string_view text)
{
    return model_->append(text) + 1;
}

void ListView::remove(int row)
{
    model_->removeRowsAt({checkedRow(row)});
}

void ListView::removeRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int& row : rows) row = checkedRow(row);

    const int selected = selectedRow();
    const bool reset = model_->removeRowsAt(rows);
    if (!reset || selected == 0) return;
    // A reset forgets the selection: keep it on the same row if that row survived.
    const int before = selected - 1;
    if (std::binary_search(rows.begin(), rows.end(), before)) return;
    const auto removedAbove = std::lower_bound(rows.begin(), rows.end(), before) - rows.begin();
    select(before - int(removedAbove) + 1);
}

void ListView::clear()
{
    model_->clear();
}

int ListView::selectedRow() const
{
    const QModelIndexList rows = widget_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void ListView::select(int row)
{
    const int index = checkedRow(row);
    model_->publishPending();
    widget_->selectionModel()->setCurrentIndex(
        model_->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::ensureVisible(int row)
{
    const int index = checkedRow(row);
    model_->publishPending();
    widget_->scrollTo(model_->index(index, 0));
}

int ListView::hitTest(const QPoint& viewportPoint) const
{
    const QModelIndex index = widget_->indexAt(viewportPoint);
    return index.isValid() ? index.row() + 1 : 0;
}
