#pragma once

#include <QString>
#include <memory>

// The rows and columns of one sheet, as the application has them.
constexpr int kSheetRows = 1048576;
constexpr int kSheetColumns = 16384;

// The spreadsheet application the results are handed to, driven with the classic
// automation calls in their order: create, add a workbook, fill cells, fit columns, show.
class SpreadsheetWorkbook
{
public:
    virtual ~SpreadsheetWorkbook() = default;
    // 1-based row and column of the active sheet; every value is a text.
    virtual void setCell(int row, int column, const QString& text) = 0;
    virtual void autofitColumn(int column) = 0;
    virtual void autofitAllColumns() = 0;
};

class SpreadsheetApplication
{
public:
    virtual ~SpreadsheetApplication() = default;
    virtual SpreadsheetWorkbook& addWorkbook() = 0;
    // Hands the workbook to the user: the application becomes visible with it.
    virtual void setVisible(bool visible) = 0;
};

class SpreadsheetLauncher
{
public:
    virtual ~SpreadsheetLauncher() = default;
    // A command begins: what was found out about the desktop for the last one may be stale.
    virtual void beginCommand() {}
    // A new application object; throws RuntimeError when none can be started.
    virtual std::unique_ptr<SpreadsheetApplication> create() = 0;
};
