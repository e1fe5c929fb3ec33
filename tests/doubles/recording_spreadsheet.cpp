#include "doubles/recording_spreadsheet.h"

#include "base/runtime_error.h"

namespace {

class RecordedWorkbook : public SpreadsheetWorkbook
{
public:
    explicit RecordedWorkbook(RecordingSpreadsheet& log) : log_(log) {}

    void setCell(int row, int column, const QString& text) override
    {
        log_.record(QStringLiteral("cell %1,%2 %3").arg(row).arg(column).arg(text));
        log_.cells[{row, column}] = text;
    }
    void autofitColumn(int column) override
    {
        log_.record(QStringLiteral("autofit %1").arg(column));
    }
    void autofitAllColumns() override { log_.record(QStringLiteral("autofit all")); }

private:
    RecordingSpreadsheet& log_;
};

class RecordedApplication : public SpreadsheetApplication
{
public:
    explicit RecordedApplication(RecordingSpreadsheet& log) : log_(log) {}

    SpreadsheetWorkbook& addWorkbook() override
    {
        log_.record(QStringLiteral("add workbook"));
        log_.cells.clear();
        workbook_ = std::make_unique<RecordedWorkbook>(log_);
        return *workbook_;
    }
    void setVisible(bool visible) override
    {
        log_.record(visible ? QStringLiteral("visible true") : QStringLiteral("visible false"));
    }

private:
    RecordingSpreadsheet& log_;
    std::unique_ptr<RecordedWorkbook> workbook_;
};

} // namespace

std::unique_ptr<SpreadsheetApplication> RecordingSpreadsheet::create()
{
    record(QStringLiteral("create"));
    if (missing) throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
    if (giveNothing) return nullptr;
    return std::make_unique<RecordedApplication>(*this);
}

void RecordingSpreadsheet::record(const QString& call)
{
    calls << call;
    if (onCall) onCall(call);
}
