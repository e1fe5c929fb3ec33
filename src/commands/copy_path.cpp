#include "commands/copy_path.h"

#include "lists/row_list.h"
#include "output/clipboard_copy.h"

CopyPath::CopyPath(RowList& list, Clipboard& clipboard) : list_(list), clipboard_(clipboard) {}

bool CopyPath::applies() const
{
    return list_.selectedRow() > 0;
}

void CopyPath::run()
{
    const int row = list_.selectedRow();
    if (row == 0) return;
    SetClipboardText(clipboard_, list_.text(row));
}
