#pragma once

#include <QObject>
#include <Qt>

class QAbstractItemModel;
class QHeaderView;

// The header's sort indicator of a list whose rows a sort put in order once: it shows the
// column and the direction of the last sort, and goes as soon as rows are added or the list is
// edited, when that order no longer holds for certain. Ticks are no edit.
class SortIndicator : public QObject
{
public:
    SortIndicator(QHeaderView* header, QAbstractItemModel* model);

    // Columns are 1-based, as the list's.
    void show(int column, Qt::SortOrder order);
    void clear();
    // Shows the state again, after the header changed it by itself (it flips on every click).
    void restore();

    // 0 when no indicator shows.
    int column() const { return column_; }
    Qt::SortOrder order() const { return order_; }

private:
    QHeaderView* header_;
    int column_ = 0;
    Qt::SortOrder order_ = Qt::AscendingOrder;
};
