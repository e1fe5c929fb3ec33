// Built only by the layering test: a command that reaches for the window's own header must not
// build, because the commands' library is not shown the window's headers.
#include "lists/row_list.h"
#include "ui/form1.h"

int probeRows(RowList& rows, Form1& window)
{
    return rows.count() + window.fileList().count();
}
