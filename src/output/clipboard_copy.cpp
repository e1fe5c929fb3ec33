#include "output/clipboard_copy.h"

#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

#include <exception>
#include <string_view>
#include <vector>

namespace {

constexpr int kAttempts = 1000;

std::string_view cellText(const RowList& list, int row, int column)
{
    return column == 1 ? list.textUtf8(row) : list.subItemUtf8(row, column - 1);
}

// A text's length as the list shows it: the UTF-16 code units of the text decoded, bytes that
// are not UTF-8 shown as replacement characters.
qsizetype shownLength(std::string_view utf8)
{
    for (const char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80)
            return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).size();
    return qsizetype(utf8.size());
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

std::vector<qsizetype> ClipboardColumnWidths(const RowList& list, int rows, EventPump& events)
{
    const int columns = list.columnCount();
    std::vector<qsizetype> widths;
    widths.reserve(std::size_t(columns > 0 ? columns : 0));
    for (int k = 1; k <= columns; ++k) {
        qsizetype width = 0;
        for (int i = 1; i <= rows; ++i) {
            events.processPendingEvents();
            const qsizetype length = shownLength(cellText(list, i, k));
            if (width < length) width = length;
        }
        widths.push_back(width);
    }
    return widths;
}

void AppendClipboardLine(std::string& line, const RowList& list, int row,
                         const std::vector<qsizetype>& widths, EventPump& events)
{
    const std::size_t lineStart = line.size();
    for (std::size_t k = 1; k <= widths.size(); ++k) {
        events.processPendingEvents();
        const std::string_view cell = cellText(list, row, int(k));
        line += cell;
        const qsizetype length = shownLength(cell);
        if (widths[k - 1] >= length) line.append(std::size_t(widths[k - 1] - length), ' ');
        line += '\t';
    }
    // Only this line's own final tab goes; a list without columns has none.
    if (line.size() > lineStart) line.pop_back();
    std::size_t end = line.size();
    while (end > lineStart && line[end - 1] == ' ')
        --end;
    line.resize(end);
}

QByteArray ClipboardTextOfTickedRows(RowList& list, EventPump& events)
{
    const int rows = list.count();
    const Progress::Stage stage(events.progress(), Progress::Work::Copying,
                                Progress::Place::Results, rows);
    const std::vector<qsizetype> widths = ClipboardColumnWidths(list, rows, events);
    // Built as UTF-8, the way the clipboard keeps it: one copy of the text, not a UTF-16 one.
    QByteArray text;
    std::string line;
    for (int i = 1; i <= rows; ++i) {
        events.progress().setDone(i);
        events.processPendingEvents();
        if (!list.checked(i)) continue;
        line.clear();
        AppendClipboardLine(line, list, i, widths, events);
        text.append(line.data(), qsizetype(line.size()));
        text.append("\r\n", 2);
    }
    return text;
}

void CopyListViewToClipboard(RowList& list, Clipboard& clipboard, EventPump& events)
{
    if (list.count() <= 0) return;
    const QByteArray text = ClipboardTextOfTickedRows(list, events);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text);
}

void ClearClipboard(Clipboard& clipboard)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (tryOnce([&] { return clipboard.clear(); })) return;
}

bool SetClipboardText(Clipboard& clipboard, const QByteArray& utf8, const QString& format)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (tryOnce([&] { return clipboard.setText(utf8, format); })) return true;
    return false;
}
