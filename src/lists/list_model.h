#pragma once

#include "lists/row_store.h"

#include <QAbstractTableModel>
#include <QStringList>

// The item model over a RowStore. Appends are published to views in batches, on the next
// turn of the event loop or before any other change, so appending a million rows costs one
// insert notification instead of a million.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    ListModel(int textColumns, bool checkable, QObject* parent = nullptr);

    RowStore& store() { return store_; }
    const RowStore& store() const { return store_; }

    void addColumn(const QString& header);
    const QStringList& headers() const { return headers_; }

    int append(std::string_view firstColumn, const ListModel* textsOf = nullptr);
    void setText(int row, int column, std::string_view text);
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    void invertChecked();
    // Ascending, no repeats. Returns true when views were reset rather than told row by row.
    bool removeRowsAt(const std::vector<int>& ascendingRows);
    void clear();
    // Puts the rows in a new order (see RowStore::reorder). Views keep their selection and
    // current row on the same rows, wherever those now stand.
    void reorder(const std::vector<int>& order);

    // Tells the views about rows appended since the last publication.
    void publishPending();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void announceTicks();

    RowStore store_;
    QStringList headers_;
    int published_ = 0;
    bool publishScheduled_ = false;
};
