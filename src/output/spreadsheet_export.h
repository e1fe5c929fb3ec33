#pragma once

class Dialogs;
class ErrorReporter;
class EventPump;
class RowList;
class SpreadsheetLauncher;
class WindowPointer;

// "Save Results As Excel File": the column titles and the ticked results rows into a new
// workbook of the spreadsheet application, which is then shown to the user.
class SpreadsheetExport
{
public:
    SpreadsheetExport(RowList& results, WindowPointer& pointer, SpreadsheetLauncher& launcher,
                      Dialogs& dialogs, EventPump& events, ErrorReporter& errors);

    void run();
    // True when the application can be started; says so itself when it cannot.
    bool SaveResultsAsExcelFileIsExcelInstalled();

private:
    RowList& results_;
    WindowPointer& pointer_;
    SpreadsheetLauncher& launcher_;
    Dialogs& dialogs_;
    EventPump& events_;
    ErrorReporter& errors_;
};
