#pragma once

#include "platform/spreadsheet.h"
#include "platform/unique_fd.h"

#include <QString>
#include <exception>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class SheetRows;
class TextOutputFile;
struct lxw_workbook;
struct lxw_worksheet;

// One workbook's active sheet, written as .xlsx. Rows stream to disk as they are filled, so a
// sheet of a million rows takes the memory of one: cells go in row order, and within the row
// being filled in any order, a later text replacing an earlier one.
//
// The library writes the package and the sheet around its rows; the rows themselves are
// written and compressed here (SheetRows), as the library would write them but at a faster
// compression level and with one escape it missed, and put in the library's sheet when done.
class XlsxWorkbook : public SpreadsheetWorkbook
{
public:
    XlsxWorkbook();
    ~XlsxWorkbook() override;
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Rows and columns beyond the sheet's limits fail as they would in the application, and
    // so does a row above the one being filled, which is on disk already.
    void setCell(int row, int column, const QString& text) override;
    void autofitColumn(int column) override;
    void autofitAllColumns() override;

    // The workbook, written as a text export writes its file: created, or replaced whole, only
    // once the workbook is complete, so a failure leaves the old file as it was. Throws
    // RuntimeError when the file cannot be written.
    void saveReplacing(const QString& path);
    // The workbook, written into `file`'s unnamed content; `file.close()` then names it. Only
    // this workbook is touched, so it may run on a worker while nothing adds cells.
    void writeInto(TextOutputFile& file);

private:
    void start();
    void writeRow();
    void finish();
    void packRows();
    void copyBookTo(const char* nativePath) const;
    qsizetype longestIn(int column) const;
    // The cell of the row being filled in that column, or nullptr.
    const QString* filling(int column) const;

    UniqueFd libraryBook_; // the library's workbook, its sheet without rows
    UniqueFd book_;        // the finished workbook, without a name until it is copied out
    std::unique_ptr<SheetRows> rows_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    int error_ = 0;              // the library's first failure, reported when the workbook is saved
    std::exception_ptr failure_; // putting the rows in the sheet failed
    bool finished_ = false;

    int row_ = 0; // the row being filled
    // Its cells, by column: a row holds a few, and a million rows would each cost a tree.
    std::vector<std::pair<int, QString>> rowCells_;
    std::map<int, qsizetype> longest_; // the longest text of each column's written cells
    std::map<int, double> widths_;     // fitted columns; the rest keep the default
};
