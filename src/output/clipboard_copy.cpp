#include "output/clipboard_copy.h"

#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

#include <exception>
#include <vector>

namespace {

constexpr int kAttempts = 1000;

QString cellText(const RowList& list, int row, int column)
{
    return column == 1 ? list.text(row) : list.subItem(row, column - 1);
}

// One clipboard attempt; whatever the clipboard raises only ends the attempt.
template <typename Attempt> bool tryOnce(Attempt&& attempt)
{
    try {
        return attempt();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

QString ClipboardTextOfTickedRows(RowList& list, EventPump& events)
{
    const int rows = list.count();
    const int columns = list.columnCount();
    std::vector<qsizetype> widths;
    widths.reserve(std::size_t(columns > 0 ? columns : 0));
    for (int k = 1; k <= columns; ++k) {
        qsizetype width = 0;
        for (int i = 1; i <= rows; ++i) {
            events.processPendingEvents();
            const qsizetype length = cellText(list, i, k).size();
            if (width < length) width = length;
        }
        widths.push_back(width);
    }

    QString text;
    for (int i = 1; i <= rows; ++i) {
        events.processPendingEvents();
        if (!list.checked(i)) continue;
        const qsizetype lineStart = text.size();
        for (int k = 1; k <= columns; ++k) {
            events.processPendingEvents();
            const QString cell = cellText(list, i, k);
            text += cell;
            const qsizetype width = widths[std::size_t(k - 1)];
            if (width >= cell.size()) text.resize(text.size() + width - cell.size(), u' ');
            text += u'\t';
        }
        // Only this line's own final tab goes; a list without columns has none.
        if (text.size() > lineStart) text.chop(1);
        qsizetype end = text.size();
        while (end > lineStart && text.at(end - 1) == u' ')
            --end;
        text.truncate(end);
        text += QStringLiteral("\r\n");
    }
    return text;
}

void CopyListViewToClipboard(RowList& list, Clipboard& clipboard, EventPump& events)
{
    if (list.count() <= 0) return;
    const QString text = ClipboardTextOfTickedRows(list, events);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text);
}

void ClearClipboard(Clipboard& clipboard)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (tryOnce([&] { return clipboard.clear(); })) return;
}

bool SetClipboardText(Clipboard& clipboard, const QString& text, const QString& format)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (tryOnce([&] { return clipboard.setText(text, format); })) return true;
    return false;
}

ClipboardCopy::ClipboardCopy(RowList& results, Clipboard& clipboard, const CommandContext& context)
    : results_(results), clipboard_(clipboard), context_(context)
{
}

void ClipboardCopy::run()
{
    ErrorTrap trap(context_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton18_Click"));
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
