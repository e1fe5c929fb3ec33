#pragma once

#include <QStringDecoder>
#include <climits>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Turns a list file's bytes, handed over in pieces of any size, into its rows, as UTF-8. A line
// ends at CR or CR LF, and a bare LF splits it once more, so every common line ending gives one
// row per line. A leading UTF-8 byte-order mark is skipped; a UTF-16 mark (either order) makes
// the rest UTF-16. Names that end in NUL are read another way: a row ends at each NUL and
// nothing else, no mark is read and no byte changes. Holds one row at a time, and never more of
// it than kLongestRow: a longer row is counted and left out.
class ListFileLines
{
public:
    // The longest row kept, in bytes: far past any path the system takes, so every line a list
    // can mean goes in unchanged (and a row too long for a path fails at the check, as a
    // missing file does), while a file of one endless line still costs no more than this.
    static constexpr std::size_t kLongestRow = 64 * 1024;

    // How the rows of a list end.
    enum class RowEnds {
        // Line ends, and a bare LF that ends the file makes one more, empty, row: the window's
        // list files.
        WindowLines,
        // Line ends, but the line feed that ends a list, as find and printf write them, only
        // ends it: the check mode's lists.
        Lines,
        // NUL, as find -print0 writes names; a last name without its NUL is a row too.
        Nul,
    };

    using RowSink = std::function<void(std::string_view row)>;
    explicit ListFileLines(RowSink addRow, RowEnds ends = RowEnds::WindowLines);

    void feed(std::string_view bytes);
    // The end of the file: gives the last row, if one is open.
    void finish();

    // Rows left out for their length, and the line number of the first of them (from 1).
    std::size_t rowsLeftOut() const { return leftOut_; }
    std::size_t firstLineLeftOut() const { return firstLeftOut_; }

private:
    enum class Encoding { Unknown, Utf8, Utf16 };

    void chooseEncoding();
    void feedUtf16(std::string_view bytes);
    void feedUtf8(std::string_view text);
    void feedNames(std::string_view bytes);
    void append(std::string_view part);
    void endRow();

    RowSink addRow_;
    RowEnds ends_;
    Encoding encoding_ = Encoding::Unknown;
    std::string head_; // the first bytes, until they tell the encoding
    QStringDecoder utf16_;
    QString heldSurrogate_; // a pair's first half, waiting for the next piece

    std::string row_;
    bool rowTooLong_ = false;
    bool afterCr_ = false;  // an LF that comes next belongs to that CR
    bool lineOpen_ = false; // text or a bare LF since the last CR: the end gives one more row
    std::size_t lines_ = 0;
    std::size_t leftOut_ = 0;
    std::size_t firstLeftOut_ = 0;
};
