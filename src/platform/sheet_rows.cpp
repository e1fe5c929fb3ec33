#include "platform/sheet_rows.h"

#include "base/runtime_error.h"
#include "platform/save_steps.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace {

constexpr std::size_t kStoreAt = 256 * 1024;
constexpr std::size_t kCompressBlock = 1 << 20;

// How each byte stands in a cell's text: itself, an entity, or, for a control the XML cannot
// hold, the sheet's _xHHHH_ escape. Tabs and line feeds stand as themselves.
struct Escapes
{
    std::array<std::string_view, 256> text = {};
    constexpr Escapes()
    {
        constexpr std::string_view controls[32] = {
            "_x0000_", "_x0001_", "_x0002_", "_x0003_", "_x0004_", "_x0005_", "_x0006_", "_x0007_",
            "_x0008_", "",        "",        "_x000B_", "_x000C_", "_x000D_", "_x000E_", "_x000F_",
            "_x0010_", "_x0011_", "_x0012_", "_x0013_", "_x0014_", "_x0015_", "_x0016_", "_x0017_",
            "_x0018_", "_x0019_", "_x001A_", "_x001B_", "_x001C_", "_x001D_", "_x001E_", "_x001F_"};
        for (int c = 0; c < 32; ++c)
            text[c] = controls[c];
        text['&'] = "&amp;";
        text['<'] = "&lt;";
        text['>'] = "&gt;";
        text['_'] = "_x005F_"; // only where it starts what reads as an escape
    }
};
constexpr Escapes kEscapes;

// "_x0001_" in a text would read back as a control character: its underscore is written as an
// escape itself.
bool looksEscaped(std::string_view text, std::size_t at)
{
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    return text.size() - at >= 7 && text[at + 1] == 'x' && isHex(text[at + 2]) &&
           isHex(text[at + 3]) && isHex(text[at + 4]) && isHex(text[at + 5]) && text[at + 6] == '_';
}

void appendEscaped(std::string& xml, std::string_view text)
{
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view escape = kEscapes.text[static_cast<unsigned char>(text[i])];
        if (escape.empty() || (text[i] == '_' && !looksEscaped(text, i))) continue;
        xml.append(text.substr(plain, i - plain));
        xml.append(escape);
        plain = i + 1;
    }
    xml.append(text.substr(plain));
}

// Blanks at either end of the written text only survive a reader when the cell says so.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

void appendNumber(std::string& xml, int number)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    xml.append(digits, end);
}

void appendColumnName(std::string& xml, int column)
{
    char letters[4];
    int length = 0;
    for (; column > 0; column = (column - 1) / 26)
        letters[length++] = char('A' + (column - 1) % 26);
    std::reverse(letters, letters + length);
    xml.append(letters, std::size_t(length));
}

std::string cellName(int row, int column)
{
    std::string name;
    appendColumnName(name, column);
    appendNumber(name, row);
    return name;
}

} // namespace

SheetRows::SheetRows(UniqueFd plainFile, UniqueFd packedFile, int level)
    : plainFile_(std::move(plainFile)), packedFile_(std::move(packedFile)),
      part_(level, DeflatePart::Ends::Open)
{
    xml_.reserve(kStoreAt + 4096);
}

void SheetRows::addCell(int row, int column, std::string_view text)
{
    if (row != lastRow_) {
        if (lastRow_ != 0) xml_ += "</row>";
        xml_ += "<row r=\"";
        appendNumber(xml_, row);
        xml_ += "\">";
        if (firstRow_ == 0) firstRow_ = row;
        lastRow_ = row;
    }
    firstColumn_ = firstColumn_ == 0 ? column : std::min(firstColumn_, column);
    lastColumn_ = std::max(lastColumn_, column);

    xml_ += "<c r=\"";
    appendColumnName(xml_, column);
    appendNumber(xml_, row);
    xml_ += "\" t=\"inlineStr\"><is><t";
    const std::size_t opened = xml_.size();
    xml_ += '>';
    const std::size_t start = xml_.size();
    appendEscaped(xml_, text);
    if (isBlank(xml_[start]) || isBlank(xml_.back()))
        xml_.insert(opened, " xml:space=\"preserve\"");
    xml_ += "</t></is></c>";
    if (xml_.size() >= kStoreAt) store();
}

void SheetRows::store()
{
    if (!failure_) {
        try {
            writeBytes(plainFile_.get(), stored_, xml_);
            stored_ += off_t(xml_.size());
        } catch (const RuntimeError&) {
            failure_ = std::current_exception();
        }
    }
    xml_.clear();
}

void SheetRows::end()
{
    if (lastRow_ != 0) xml_ += "</row>";
    store();
    if (failure_) std::rethrow_exception(failure_);
    compress();
}

void SheetRows::compress()
{
    std::string block(kCompressBlock, '\0');
    std::string packed;
    off_t packedAt = 0;
    const auto writePacked = [&] {
        writeBytes(packedFile_.get(), packedAt, packed);
        packedAt += off_t(packed.size());
        packed.clear();
    };
    for (off_t at = 0; at < stored_;) {
        const std::size_t got = readAt(plainFile_.get(), at, block.data(), block.size());
        if (got == 0) throw RuntimeError::fromErrno(EIO);
        part_.add(std::string_view(block).substr(0, got), packed);
        writePacked();
        at += off_t(got);
    }
    part_.end(packed);
    writePacked();
    plainFile_.reset();
}

std::string SheetRows::dimension() const
{
    std::string text = cellName(firstRow_, firstColumn_);
    if (firstRow_ != lastRow_ || firstColumn_ != lastColumn_)
        text += ':' + cellName(lastRow_, lastColumn_);
    return text;
}

DeflatedContent SheetRows::within(std::string_view before, std::string_view after) const
{
    DeflatedContent sheet;
    std::string packedBefore;
    DeflatePart beforePart(DeflatePart::kDefaultLevel, DeflatePart::Ends::Open);
    beforePart.add(before, packedBefore);
    beforePart.end(packedBefore);
    std::string packedAfter;
    DeflatePart afterPart(DeflatePart::kDefaultLevel, DeflatePart::Ends::Last);
    afterPart.add(after, packedAfter);
    afterPart.end(packedAfter);

    sheet.pieces = {{std::move(packedBefore)},
                    {{}, packedFile_.get(), off_t(part_.packedSize())},
                    {std::move(packedAfter)}};
    sheet.crc = DeflatePart::combinedCrc(
        DeflatePart::combinedCrc(beforePart.crc(), part_.crc(), part_.plainSize()), afterPart.crc(),
        afterPart.plainSize());
    sheet.plainSize = beforePart.plainSize() + part_.plainSize() + afterPart.plainSize();
    return sheet;
}
