#include "core/list_editing.h"

#include "core/window_pointer.h"
#include "platform/dialogs.h"
#include "platform/error_trap.h"
#include "platform/list_view.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

// Lower-cases an ASCII text into `out`; false (and `out` unspecified) when it is not ASCII.
bool lowerAscii(std::string_view text, std::string& out)
{
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) return false;
        out[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return true;
}

// The row numbers, ascending, whose text contains `text` (when `whenFound`) or lacks it.
std::vector<int> markRows(const ListView& list, const QString& text, bool whenFound)
{
    const QString needle = text.toLower();
    const QByteArray needleUtf8 = needle.toUtf8();
    const std::string_view needleView(needleUtf8.constData(), std::size_t(needleUtf8.size()));
    std::string needleAscii;
    const bool asciiNeedle = lowerAscii(needleView, needleAscii);

    // Most paths are plain ASCII: those are folded and searched as bytes, which gives what
    // the full Unicode lower-casing gives them, only without a conversion per row.
    std::string lowered;
    std::vector<int> marked;
    const int count = list.count();
    for (int row = 1; row <= count; ++row) {
        const std::string_view rowText = list.textUtf8(row);
        bool found;
        if (lowerAscii(rowText, lowered))
            found = asciiNeedle && lowered.find(needleAscii) != std::string::npos;
        else
            found = QString::fromUtf8(rowText.data(), qsizetype(rowText.size()))
                        .toLower()
                        .contains(needle);
        if (found == whenFound) marked.push_back(row);
    }
    return marked;
}

} // namespace

void RemoveRowsContaining(ListView& list, const QString& text)
{
    list.removeRows(markRows(list, text, true));
}

void RemoveRowsNotContaining(ListView& list, const QString& text)
{
    list.removeRows(markRows(list, text, false));
}

void RunSubstringCommand(ErrorTrap& trap, Dialogs& dialogs, WindowPointer& pointer, ListView& list,
                         SubstringFilter filter)
{
    const bool containing = filter == SubstringFilter::Containing;
    const QString prompt = containing ? QStringLiteral("Remove entries containing: ")
                                      : QStringLiteral("Remove entries not containing: ");
    QString text;
    trap.line(100, [&] { text = dialogs.inputBox(prompt, QString(), QString()); });
    if (trap.test(102, [&] { return text.isEmpty(); })) return;
    trap.line(104, [&] { pointer.setMousePointer(PointerSetting::Busy); });
    trap.line(106, [&] {
        if (containing)
            RemoveRowsContaining(list, text);
        else
            RemoveRowsNotContaining(list, text);
    });
    trap.line(108, [&] { pointer.setMousePointer(PointerSetting::Default); });
}

void RemoveSelectedRow(ListView& list, const WindowPointer& pointer)
{
    if (pointer.isBusy() || list.count() <= 0) return;
    const int selected = list.selectedRow();
    if (selected > 0) list.remove(selected);
}
