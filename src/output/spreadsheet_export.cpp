#include "output/spreadsheet_export.h"

#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/spreadsheet.h"

#include <QLocale>
#include <exception>
#include <memory>

namespace {

// An automation object that was never created: each use fails as an unset object would.
template <typename Object> Object& existing(Object* object)
{
    if (!object)
        throw RuntimeError(RuntimeError::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

QString sheetFullText(int leftOut)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("A sheet holds at most %1 rows. %2 ticked %3 past the last one %4 left "
                          "out.")
        .arg(english.toString(kSheetRows), english.toString(leftOut),
             leftOut == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
             leftOut == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

} // namespace

SpreadsheetExport::SpreadsheetExport(RowList& results, SpreadsheetLauncher& launcher,
                                     const CommandContext& context)
    : results_(results), launcher_(launcher), context_(context)
{
}

void SpreadsheetExport::run()
{
    ErrorTrap trap(context_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton12_Click"));
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
    trap.line(114, [&] { workbook = &existing(application.get()).addWorkbook(); });

    WriteResultsSheet(results_, workbook, trap, context_.events, context_.dialogs);
    trap.line(168, [&] { existing(application.get()).setVisible(true); });
    trap.line(170, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}

void WriteResultsSheet(RowList& results, SpreadsheetWorkbook* workbook, ErrorTrap& trap,
                       EventPump& events, Notices& notices)
{
    int i = 1; // 116
    int columns = 0;
    trap.line(118, [&] { columns = results.columnCount(); });
    for (int k = 1; k <= columns; ++k) {
        trap.line(120, [&] { events.processPendingEvents(); });
        const int titleLine = k == 1 ? 124 : 128; // 122: the two branches write alike
        trap.line(titleLine, [&] { existing(workbook).setCell(1, i, results.columnHeader(k)); });
        ++i; // 126, 130
        trap.line(132, [&] { existing(workbook).autofitColumn(k); });
    }

    int j = 2; // 136
    int rows = 0;
    int leftOut = 0; // ticked rows past the sheet's last row
    trap.line(138, [&] { rows = results.count(); });
    for (int r = 1; r <= rows; ++r) {
        trap.line(140, [&] { events.processPendingEvents(); });
        const bool ticked = trap.test(142, [&] { return results.checked(r); });
        // Every cell past the sheet's end would fail alike: the user is told once, after the rows.
        if (ticked && j > kSheetRows) ++leftOut;
        if (ticked && j <= kSheetRows) {
            i = 1;                               // 144
            for (int k = 1; k <= columns; ++k) { // 146
                trap.line(148, [&] { events.processPendingEvents(); });
                if (k == 1) { // 150
                    trap.line(152, [&] { existing(workbook).setCell(j, i, results.text(r)); });
                    ++i; // 154
                } else {
                    trap.line(156, [&] {
                        existing(workbook).setCell(j, i, results.subItem(r, k - 1).remove(u'='));
                    });
                    ++i; // 158
                }
            }
        }
        ++j; // 162
    }
    if (leftOut > 0) trap.line(164, [&] { notices.tell(sheetFullText(leftOut)); });
    trap.line(166, [&] { existing(workbook).autofitAllColumns(); });
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
