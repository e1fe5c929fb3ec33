#pragma once

#include "platform/spreadsheet.h"

#include <QStringList>
#include <functional>
#include <map>
#include <utility>

// Stands in for the spreadsheet application: records each call, in order, and the cells of
// the latest workbook.
//   "create", "add workbook", "cell 1,2 File Size", "autofit 2", "autofit all", "visible true"
class RecordingSpreadsheet : public SpreadsheetLauncher
{
public:
    std::unique_ptr<SpreadsheetApplication> create() override;

    void record(const QString& call);

    bool missing = false;     // create() fails as when no application can be started
    bool giveNothing = false; // create() gives no object without failing
    QStringList calls;
    std::map<std::pair<int, int>, QString> cells; // by row, then column
    std::function<void(const QString& call)> onCall;
};
