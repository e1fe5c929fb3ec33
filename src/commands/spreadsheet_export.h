#pragma once

#include "commands/command.h"
#include "core/command_context.h"

class RowList;
class SpreadsheetLauncher;

// "Save Results As Excel File": the column titles and the ticked results rows into a new
// workbook of the spreadsheet application, which is then shown to the user.
class SpreadsheetExport : public Command
{
public:
    SpreadsheetExport(RowList& results, SpreadsheetLauncher& launcher,
                      const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;
    // True when the application can be started; says so itself when it cannot.
    bool SaveResultsAsExcelFileIsExcelInstalled();

private:
    RowList& results_;
    SpreadsheetLauncher& launcher_;
    CommandContext context_;
};
