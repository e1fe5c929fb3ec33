#include "lists/row_list.h"

#include "base/runtime_error.h"

#include <algorithm>

namespace {

// Hands a text to `use` as UTF-8; short ASCII texts, the common case, skip the heap.
template <typename Use> void withUtf8(const QString& text, Use&& use)
{
    if (text.size() <= 128) {
        char buffer[128];
        qsizetype i = 0;
        for (; i < text.size() && text[i].unicode() < 0x80; ++i)
            buffer[i] = char(text[i].unicode());
        if (i == text.size()) return use(std::string_view(buffer, std::size_t(i)));
    }
    const QByteArray utf8 = text.toUtf8();
    use(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace

RowList::RowList(int textColumns, bool checkable)
    : model_(textColumns, checkable), selection_(&model_)
{
}

QString RowList::columnHeader(int column) const
{
    if (column < 1 || column > columnCount()) throw RuntimeError::indexOutOfBounds();
    return model_.headers()[column - 1];
}

void RowList::addColumn(const QString& header)
{
    model_.addColumn(header);
}

int RowList::modelRow(int row) const
{
    if (row < 1 || row > count()) throw RuntimeError::indexOutOfBounds();
    return row - 1;
}

std::string_view RowList::cell(int row, int column) const
{
    const int index = modelRow(row);
    if (column >= model_.store().textColumns()) return {};
    return model_.store().text(index, column);
}

void RowList::setCell(int row, int column, const QString& text)
{
    const int index = modelRow(row);
    if (column >= model_.store().textColumns()) throw RuntimeError::indexOutOfBounds();
    withUtf8(text, [&](std::string_view utf8) { model_.setText(index, column, utf8); });
}

QString RowList::text(int row) const
{
    const std::string_view utf8 = cell(row, 0);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string_view RowList::textUtf8(int row) const
{
    return cell(row, 0);
}

void RowList::setText(int row, const QString& text)
{
    setCell(row, 0, text);
}

void RowList::setTextUtf8(int row, std::string_view text)
{
    model_.setText(modelRow(row), 0, text);
}

QString RowList::subItem(int row, int item) const
{
    if (item < 1) throw RuntimeError::indexOutOfBounds();
    const std::string_view utf8 = cell(row, item);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string_view RowList::subItemUtf8(int row, int item) const
{
    if (item < 1) throw RuntimeError::indexOutOfBounds();
    return cell(row, item);
}

void RowList::setSubItem(int row, int item, const QString& text)
{
    if (item < 1) throw RuntimeError::indexOutOfBounds();
    setCell(row, item, text);
}

bool RowList::checked(int row) const
{
    return model_.store().checked(modelRow(row));
}

void RowList::setChecked(int row, bool checked)
{
    model_.setChecked(modelRow(row), checked);
}

void RowList::setAllChecked(bool checked)
{
    model_.setAllChecked(checked);
}

void RowList::invertChecked()
{
    model_.invertChecked();
}

std::optional<std::int64_t> RowList::size(int row) const
{
    const std::int64_t bytes = model_.store().size(modelRow(row));
    if (bytes == RowStore::kNoSize) return std::nullopt;
    return bytes;
}

void RowList::setSize(int row, std::int64_t bytes)
{
    model_.store().setSize(modelRow(row), bytes);
}

int RowList::add(const QString& text)
{
    int row = 0;
    withUtf8(text, [&](std::string_view utf8) { row = addUtf8(utf8); });
    return row;
}

int RowList::addUtf8(std::string_view text)
{
    return model_.append(text) + 1;
}

int RowList::addUtf8(std::string_view text, const RowList& textsOf)
{
    return model_.append(text, &textsOf.model_) + 1;
}

void RowList::remove(int row)
{
    model_.removeRowsAt({modelRow(row)});
}

void RowList::removeRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int& row : rows)
        row = modelRow(row);

    const int selected = selectedRow();
    const bool reset = model_.removeRowsAt(rows);
    if (!reset || selected == 0) return;
    // A reset forgets the selection: keep it on the same row if that row survived.
    const int before = selected - 1;
    if (std::binary_search(rows.begin(), rows.end(), before)) return;
    const auto removedAbove = std::lower_bound(rows.begin(), rows.end(), before) - rows.begin();
    select(before - int(removedAbove) + 1);
}

void RowList::clear()
{
    model_.clear();
}

void RowList::reorder(const std::vector<int>& rows)
{
    std::vector<int> order;
    order.reserve(rows.size());
    for (const int row : rows)
        order.push_back(modelRow(row));
    model_.reorder(order);
}

int RowList::selectedRow() const
{
    const QModelIndexList rows = selection_.selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void RowList::select(int row)
{
    const int index = modelRow(row);
    model_.publishPending();
    selection_.setCurrentIndex(model_.index(index, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
