#include "commands/clipboard_copy.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "output/clipboard_copy.h"
#include "platform/dialogs.h"

ClipboardCopy::ClipboardCopy(RowList& results, Clipboard& clipboard, const CommandContext& context)
    : results_(results), clipboard_(clipboard), context_(context)
{
}

void ClipboardCopy::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton18_Click);
    trap.line(108, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    trap.line(110, [&] { CopyListViewToClipboard(results_, clipboard_, context_.events); });
    trap.line(112, [&] {
        context_.dialogs.inform(
            QStringLiteral("Results have been copied to the clipboard.\r\rClick a text "
                           "area where you normally type and press Ctrl+V to paste "
                           "the clipboard."));
    });
    trap.line(114, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}
