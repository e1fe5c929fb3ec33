// Built only by the layering test: the same probe with a QtCore header builds.
#include "lists/row_list.h"

#include <QSortFilterProxyModel>

int probeRows(RowList& rows, QSortFilterProxyModel& proxy)
{
    proxy.setSourceModel(&rows.model());
    return rows.count();
}
