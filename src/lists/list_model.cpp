#include "lists/list_model.h"

#include <QMetaObject>

ListModel::ListModel(int textColumns, bool checkable, QObject* parent)
    : QAbstractTableModel(parent), store_(textColumns, checkable)
{
}

void ListModel::addColumn(const QString& header)
{
    publishPending();
    const int column = int(headers_.size());
    beginInsertColumns({}, column, column);
    headers_ << header;
    endInsertColumns();
}

int ListModel::append(std::string_view firstColumn, const ListModel* textsOf)
{
    const int row = store_.append(firstColumn, textsOf ? &textsOf->store_ : nullptr);
    if (!publishScheduled_) {
        publishScheduled_ = true;
        QMetaObject::invokeMethod(this, &ListModel::publishPending, Qt::QueuedConnection);
    }
    return row;
}

void ListModel::publishPending()
{
    publishScheduled_ = false;
    const int rows = store_.count();
    if (rows <= published_) return;
    beginInsertRows({}, published_, rows - 1);
    published_ = rows;
    endInsertRows();
}

void ListModel::setText(int row, int column, std::string_view text)
{
    store_.setText(row, column, text);
    if (row < published_ && column < columnCount()) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

void ListModel::setChecked(int row, bool checked)
{
    store_.setChecked(row, checked);
    if (row < published_ && columnCount() > 0) {
        const QModelIndex cell = index(row, 0);
        emit dataChanged(cell, cell, {Qt::CheckStateRole});
    }
}

void ListModel::setAllChecked(bool checked)
{
    store_.setAllChecked(checked);
    announceTicks();
}

void ListModel::invertChecked()
{
    store_.invertChecked();
    announceTicks();
}

// One notice for every published row: views repaint what they show of it.
void ListModel::announceTicks()
{
    if (published_ > 0 && columnCount() > 0 && store_.checkable())
        emit dataChanged(index(0, 0), index(published_ - 1, 0), {Qt::CheckStateRole});
}

void ListModel::reorder(const std::vector<int>& order)
{
    publishPending();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    try {
        store_.reorder(order);
    } catch (...) {
        // Refused before anything moved.
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        throw;
    }
    std::vector<int> newRowOf(order.size());
    for (std::size_t to = 0; to < order.size(); ++to)
        newRowOf[std::size_t(order[to])] = int(to);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after << index(newRowOf[std::size_t(old.row())], old.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool ListModel::removeRowsAt(const std::vector<int>& ascendingRows)
{
    if (ascendingRows.empty()) return false;
    publishPending();

    // Count the contiguous runs: a few are announced one by one (keeping the view's
    // selection and scroll position), many at once with a reset.
    constexpr int kMaxAnnouncedRuns = 16;
    std::vector<std::pair<int, int>> runs;
    for (int row : ascendingRows) {
        if (!runs.empty() && runs.back().second + 1 == row)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
        if (int(runs.size()) > kMaxAnnouncedRuns) break;
    }

    if (int(runs.size()) > kMaxAnnouncedRuns) {
        beginResetModel();
        store_.removeRows(ascendingRows);
        published_ = store_.count();
        endResetModel();
        return true;
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        beginRemoveRows({}, run->first, run->second);
        std::vector<int> rows;
        for (int r = run->first; r <= run->second; ++r)
            rows.push_back(r);
        store_.removeRows(rows);
        published_ = store_.count();
        endRemoveRows();
    }
    return false;
}

void ListModel::clear()
{
    beginResetModel();
    store_.clear();
    published_ = 0;
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : published_;
}

int ListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= published_) return {};
    const int column = index.column();
    if (role == Qt::DisplayRole && column < store_.textColumns()) {
        const std::string_view text = store_.text(index.row(), column);
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    if (role == Qt::CheckStateRole && column == 0 && store_.checkable())
        return store_.checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != 0 || !store_.checkable()) return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && store_.checkable()) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers_.size())
        return headers_[section];
    return {};
}
