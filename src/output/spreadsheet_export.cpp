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

void WriteResultsSheet(RowList& results, SpreadsheetWorkbook* workbook, ErrorTrap& trap,
                       EventPump& events, Notices& notices)
{
    int i = 1; // 116
    int columns = 0;
    trap.line(118, [&] { columns = results.columnCount(); });
    for (int k = 1; k <= columns; ++k) {
        trap.line(120, [&] { events.processPendingEvents(); });
        const int titleLine = k == 1 ? 124 : 128; // 122: the two branches write alike
        trap.line(titleLine,
                  [&] { existingObject(workbook).setCell(1, i, results.columnHeader(k)); });
        ++i; // 126, 130
        trap.line(132, [&] { existingObject(workbook).autofitColumn(k); });
    }

    int j = 2; // 136
    int rows = 0;
    int leftOut = 0; // ticked rows past the sheet's last row
    trap.line(138, [&] { rows = results.count(); });
    for (int r = 1; r <= rows; ++r) {
        events.progress().setDone(r);
        trap.line(140, [&] { events.processPendingEvents(); });
        const bool ticked = trap.test(142, [&] { return results.checked(r); });
        // Every cell past the sheet's end would fail alike: the user is told once, after the rows.
        if (ticked && j > kSheetRows) ++leftOut;
        if (ticked && j <= kSheetRows) {
            i = 1;                               // 144
            for (int k = 1; k <= columns; ++k) { // 146
                trap.line(148, [&] { events.processPendingEvents(); });
                if (k == 1) { // 150
                    trap.line(152,
                              [&] { existingObject(workbook).setCell(j, i, results.text(r)); });
                    ++i; // 154
                } else {
                    trap.line(156, [&] {
                        existingObject(workbook).setCell(j, i,
                                                         results.subItem(r, k - 1).remove(u'='));
                    });
                    ++i; // 158
                }
            }
        }
        ++j; // 162
    }
    if (leftOut > 0) trap.line(164, [&] { notices.tell(sheetFullText(leftOut)); });
    trap.line(166, [&] { existingObject(workbook).autofitAllColumns(); });
}
