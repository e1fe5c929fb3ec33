#include "ui/sort_indicator.h"

#include <QAbstractItemModel>
#include <QHeaderView>

SortIndicator::SortIndicator(QHeaderView* header, QAbstractItemModel* model)
    : QObject(header), header_(header)
{
    header_->setSectionsClickable(true);
    header_->setSortIndicatorShown(true);
    restore();
    connect(model, &QAbstractItemModel::rowsInserted, this, &SortIndicator::clear);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &SortIndicator::clear);
    connect(model, &QAbstractItemModel::modelReset, this, &SortIndicator::clear);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) clear();
            });
}

void SortIndicator::show(int column, Qt::SortOrder order)
{
    column_ = column;
    order_ = order;
    restore();
}

void SortIndicator::clear()
{
    column_ = 0;
    restore();
}

void SortIndicator::restore()
{
    header_->setSortIndicator(column_ - 1, order_);
}
