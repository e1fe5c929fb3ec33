#include "adding/list_file_lines.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

// Where c next occurs at or after from, or the text's size.
std::size_t next(std::string_view text, char c, std::size_t from)
{
    const std::size_t at = text.find(c, from);
    return at == std::string_view::npos ? text.size() : at;
}

} // namespace

ListFileLines::ListFileLines(RowSink addRow, RowEnds ends)
    : addRow_(std::move(addRow)), ends_(ends),
      encoding_(ends == RowEnds::Nul ? Encoding::Utf8 : Encoding::Unknown)
{
}

void ListFileLines::feed(std::string_view bytes)
{
    if (ends_ == RowEnds::Nul) {
        feedNames(bytes);
        return;
    }
    if (encoding_ == Encoding::Unknown) {
        const std::size_t wanted = std::min(kUtf8Mark.size() - head_.size(), bytes.size());
        head_.append(bytes.substr(0, wanted));
        bytes.remove_prefix(wanted);
        if (head_.size() < kUtf8Mark.size()) return;
        chooseEncoding();
    }
    if (encoding_ == Encoding::Utf16)
        feedUtf16(bytes);
    else
        feedUtf8(bytes);
}

void ListFileLines::finish()
{
    if (encoding_ == Encoding::Unknown) chooseEncoding();
    if (!heldSurrogate_.isEmpty()) {
        const QByteArray rest = std::exchange(heldSurrogate_, QString()).toUtf8();
        feedUtf8(std::string_view(rest.constData(), std::size_t(rest.size())));
    }
    // Open and empty (and not cut for its length): only a bare LF at the very end opened it.
    const bool madeByLastLineFeed = lineOpen_ && row_.empty() && !rowTooLong_;
    if (lineOpen_ && !(madeByLastLineFeed && ends_ == RowEnds::Lines)) endRow();
    lineOpen_ = false;
}

void ListFileLines::chooseEncoding()
{
    const std::string head = std::exchange(head_, std::string());
    const std::string_view start(head);
    if (start == kUtf8Mark) {
        encoding_ = Encoding::Utf8;
    } else if (start.substr(0, 2) == kUtf16LittleMark || start.substr(0, 2) == kUtf16BigMark) {
        // Editors on other desktops save lists as UTF-16; the rows keep UTF-8 like the rest.
        encoding_ = Encoding::Utf16;
        utf16_ = QStringDecoder(start[0] == '\xFF' ? QStringConverter::Utf16LE
                                                   : QStringConverter::Utf16BE);
        feedUtf16(start.substr(2));
    } else {
        encoding_ = Encoding::Utf8;
        feedUtf8(start);
    }
}

void ListFileLines::feedUtf16(std::string_view bytes)
{
    // The decoder keeps half a code unit for the next piece; half a surrogate pair is kept here,
    // so that the pair becomes one character.
    QString text = std::exchange(heldSurrogate_, QString()) +
                   QString(utf16_.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size()))));
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        heldSurrogate_ = text.back();
        text.chop(1);
    }
    const QByteArray utf8 = text.toUtf8();
    feedUtf8(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

void ListFileLines::feedUtf8(std::string_view text)
{
    // The next CR and LF are looked up once each, so a piece costs one pass however the lines
    // end.
    std::size_t cr = 0, lf = 0;
    bool crKnown = false, lfKnown = false;
    for (std::size_t at = 0; at < text.size();) {
        if (std::exchange(afterCr_, false) && text[at] == '\n') {
            ++at;
            continue;
        }
        if (!crKnown || cr < at) cr = next(text, '\r', at), crKnown = true;
        if (!lfKnown || lf < at) lf = next(text, '\n', at), lfKnown = true;
        const std::size_t end = std::min(cr, lf);
        append(text.substr(at, end - at));
        if (end == text.size()) break;
        endRow();
        // After a CR the line as read has ended; a bare LF only splits it.
        afterCr_ = text[end] == '\r';
        lineOpen_ = !afterCr_;
        at = end + 1;
    }
}

void ListFileLines::feedNames(std::string_view bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = next(bytes, '\0', at);
        append(bytes.substr(at, end - at));
        if (end == bytes.size()) break;
        endRow();
        lineOpen_ = false;
        at = end + 1;
    }
}

void ListFileLines::append(std::string_view part)
{
    if (part.empty()) return;
    lineOpen_ = true;
    if (rowTooLong_) return;
    if (row_.size() + part.size() > kLongestRow) {
        rowTooLong_ = true;
        std::string().swap(row_);
        return;
    }
    row_.append(part);
}

void ListFileLines::endRow()
{
    ++lines_;
    if (std::exchange(rowTooLong_, false)) {
        if (leftOut_++ == 0) firstLeftOut_ = lines_;
    } else {
        addRow_(row_);
    }
    row_.clear();
}
