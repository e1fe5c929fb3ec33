#include "output/text_export.h"

#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/save_target.h"
#include "platform/text_output_file.h"

void WriteResultsText(RowList& results, const QString& path, ErrorTrap& trap, EventPump& events)
{
    TextOutputFile file;
    trap.line(130, [&] { file.open(path); });
    int last = 0;
    trap.line(132, [&] { last = results.count(); });
    const Progress::Stage stage(events.progress(), Progress::Work::Saving, Progress::Place::Results,
                                last);
    // A file that could not be opened, or that failed a write, was reported once and is
    // closed: the rows have nowhere to go. A stop leaves the file unwritten, as a close does.
    for (int i = 1; i <= last && file.isOpen(); ++i) {
        const ErrorTrap::OnRow onRow(trap, results, i);
        trap.line(134, [&] { events.processPendingEvents(); });
        trap.line(136, [&] { file.writeLine(results.textUtf8(i)); });
        events.progress().setDone(i);
    }
    trap.line(140, [&] { file.close(); });
}
