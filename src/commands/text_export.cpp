#include "commands/text_export.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "output/text_export.h"
#include "platform/dialogs.h"
#include "platform/save_target.h"

TextExport::TextExport(RowList& results, const CommandContext& context)
    : results_(results), context_(context)
{
}

void TextExport::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton6_Click);
    FileDialogRequest dialog;
    dialog.title = QStringLiteral("Save");                                           // 106 to 110
    dialog.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"); // 112
    QString chosen;
    trap.line(114, [&] { chosen = context_.dialogs.saveFile(dialog); }); // 114, 116
    if (trap.test(118, [&] { return chosen == QString(); })) return;

    int answer = AnswerNo;
    // The question names the path as chosen, a link's own name included. A link the save
    // refuses to follow counts as there, so the user is asked and then told.
    if (trap.test(120, [&] { return saveMeetsSomething(chosen); })) {
        trap.line(122, [&] {
            answer =
                context_.dialogs.askYesNo(QStringLiteral("Are you sure you wish to overwrite ") +
                                          chosen + QStringLiteral(" ?"))
                    ? AnswerYes
                    : AnswerNo;
        });
    } else {
        answer = AnswerYes; // 124
    }
    if (trap.test(126, [&] { return answer != AnswerYes; })) return;

    trap.line(128, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    WriteResultsText(results_, chosen, trap, context_.events);
    trap.line(142, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}
