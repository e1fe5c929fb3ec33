#include "commands/spreadsheet_export.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "output/spreadsheet_export.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/spreadsheet.h"

#include <exception>
#include <memory>

SpreadsheetExport::SpreadsheetExport(RowList& results, SpreadsheetLauncher& launcher,
                                     const CommandContext& context)
    : results_(results), launcher_(launcher), context_(context)
{
}

void SpreadsheetExport::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton12_Click);
    launcher_.beginCommand(); // the test and the export share one look for the program
    if (!trap.test(100, [&] { return SaveResultsAsExcelFileIsExcelInstalled(); })) {
        trap.line(172, [&] {
            context_.dialogs.inform(
                QStringLiteral("Excel is not installed on this computer. You need to "
                               "have it installed to use this feature."));
        });
        return;
    }
    if (trap.test(108, [&] { return results_.count() <= 0; })) return;
    trap.line(110, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });

    std::unique_ptr<SpreadsheetApplication> application;
    trap.line(112, [&] { application = launcher_.create(); });
    SpreadsheetWorkbook* workbook = nullptr;
    trap.line(114, [&] { workbook = &existingObject(application.get()).addWorkbook(); });

    // One stage over the rows and the workbook's write: a stop in either leaves no file.
    const Progress::Stage stage(context_.events.progress(), Progress::Work::Saving,
                                Progress::Place::Results, results_.count());
    WriteResultsSheet(results_, workbook, trap, context_.events, context_.dialogs);
    trap.line(168, [&] { existingObject(application.get()).setVisible(true); });
    trap.line(170, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}

bool SpreadsheetExport::SaveResultsAsExcelFileIsExcelInstalled()
{
    bool result = true;
    bool failed = false;
    bool noObject = true;
    try {
        noObject = launcher_.create() == nullptr; // the probe is released at once
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed || noObject)
        context_.dialogs.inform(
            QStringLiteral("Excel is not installed on this computer. You need to have "
                           "it installed to use this software without error."));
    if (failed) result = false;
    return result;
}
