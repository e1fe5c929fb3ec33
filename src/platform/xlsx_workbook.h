#pragma once

#include "platform/spreadsheet.h"

#include <QString>
#include <map>
#include <utility>

class TextOutputFile;

// One workbook's active sheet, collected in memory and written as .xlsx on demand.
class XlsxWorkbook : public SpreadsheetWorkbook
{
public:
    // Rows and columns beyond the sheet's limits fail as they would in the application.
    void setCell(int row, int column, const QString& text) override;
    void autofitColumn(int column) override;
    void autofitAllColumns() override;

    // Throws RuntimeError when the file cannot be written.
    void save(const QString& path) const;
    // The same, written as a text export writes its file: created, or replaced whole, only once
    // the workbook is complete, so a failure leaves the old file as it was.
    void saveReplacing(const QString& path) const;
    // The workbook, written into `file`'s unnamed content; `file.close()` then names it. Reads
    // only this workbook, so it may run on a worker while nothing changes the cells.
    void writeInto(TextOutputFile& file) const;

private:
    void saveAs(const char* nativePath) const;
    double fittedWidth(int column) const;

    std::map<std::pair<int, int>, QString> cells_; // by row, then column
    std::map<int, double> widths_;                 // fitted columns; the rest keep the default
};
