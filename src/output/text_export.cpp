#include "output/text_export.h"

#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/save_target.h"
#include "platform/text_output_file.h"

TextExport::TextExport(RowList& results, const CommandContext& context)
    : results_(results), context_(context)
{
}

void TextExport::run()
{
    ErrorTrap trap(context_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    FileDialogRequest dialog;
    dialog.title = QStringLiteral("Save");                                           // 106 to 110
    dialog.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"); // 112
    QString chosen;
    trap.line(114, [&] { chosen = context_.dialogs.saveFile(dialog); }); // 114, 116
    if (trap.test(118, [&] { return chosen == QString(); })) return;

    int answer = AnswerNo;
    // The question names what will really be written: the file a link there leads to. A link
    // the save refuses to follow counts as there, so the user is asked and then told.
    SavePreview target{false, chosen};
    if (trap.test(120, [&] { return (target = previewSave(chosen)).exists; })) {
        trap.line(122, [&] {
            answer =
                context_.dialogs.messageBox({QStringLiteral("Are you sure you wish to overwrite ") +
                                                 target.writtenPath + QStringLiteral(" ?"),
                                             {},
                                             BoxIcon::None,
                                             BoxButtons::YesNo});
        });
    } else {
        answer = AnswerYes; // 124
    }
    if (trap.test(126, [&] { return answer != AnswerYes; })) return;

    trap.line(128, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    WriteResultsText(results_, chosen, trap, context_.events);
    trap.line(142, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}

void WriteResultsText(RowList& results, const QString& path, ErrorTrap& trap, EventPump& events)
{
    TextOutputFile file;
    trap.line(130, [&] { file.open(path); });
    int last = 0;
    trap.line(132, [&] { last = results.count(); });
    // A file that could not be opened, or that failed a write, was reported once and is
    // closed: the rows have nowhere to go.
    for (int i = 1; i <= last && file.isOpen(); ++i) {
        trap.line(134, [&] { events.processPendingEvents(); });
        trap.line(136, [&] { file.writeLine(results.textUtf8(i)); });
    }
    trap.line(140, [&] { file.close(); });
}
