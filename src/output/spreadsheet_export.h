#pragma once

#include "core/command_context.h"

class ErrorTrap;
class EventPump;
class Notices;
class RowList;
class SpreadsheetLauncher;
class SpreadsheetWorkbook;

// The column titles and the ticked results rows into the workbook's sheet, as the export writes
// them: titles in row 1, results row r in sheet row r + 1, the columns fitted. A missing
// workbook (nullptr) fails each step as an unset object would; each failing step is reported
// through `trap` and the rest go on. Ticked rows past the sheet's end are left out, and
// `notices` is told how many once.
void WriteResultsSheet(RowList& results, SpreadsheetWorkbook* workbook, ErrorTrap& trap,
                       EventPump& events, Notices& notices);

// "Save Results As Excel File": the column titles and the ticked results rows into a new
// workbook of the spreadsheet application, which is then shown to the user.
class SpreadsheetExport
{
public:
    SpreadsheetExport(RowList& results, SpreadsheetLauncher& launcher,
                      const CommandContext& context);

    void run();
    // True when the application can be started; says so itself when it cannot.
    bool SaveResultsAsExcelFileIsExcelInstalled();

private:
    RowList& results_;
    SpreadsheetLauncher& launcher_;
    CommandContext context_;
};
