#include "ui/form1.h"

#include "output/clipboard_copy.h"
#include "output/spreadsheet_export.h"
#include "output/text_export.h"

// The three ways results leave the program.

void Form1::PushButton6_Click()
{
    TextExport(resultsList(), *this, platform_.dialogs, platform_.events, errors_)
        .PushButton6_Click();
}

void Form1::PushButton12_Click()
{
    SpreadsheetExport(resultsList(), *this, platform_.spreadsheet, platform_.dialogs,
                      platform_.events, errors_)
        .PushButton12_Click();
}

void Form1::PushButton18_Click()
{
    ClipboardCopy(resultsList(), *this, platform_.clipboard, platform_.dialogs, platform_.events,
                  errors_)
        .PushButton18_Click();
}

bool Form1::SaveResultsAsExcelFileIsExcelInstalled()
{
    return SpreadsheetExport(resultsList(), *this, platform_.spreadsheet, platform_.dialogs,
                             platform_.events, errors_)
        .SaveResultsAsExcelFileIsExcelInstalled();
}
