// Built only by the layering test: a command that reaches for a widget must not build.
#include "lists/row_list.h"

#include <QTreeView>

int probeRows(RowList& rows, QTreeView& view)
{
    view.setModel(&rows.model());
    return rows.count();
}
