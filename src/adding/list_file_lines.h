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
// the rest UTF-16. Holds one row at a time, and never more of it than kLongestRow: a longer row
// is counted and left out.
class ListFileLines
{
public:
    // The longest row kept, in bytes: far past any path the system takes, so every line a list
    // can mean goes in unchanged (and a row too long for a path fails at the check, as a
    // missing file does), while a file of one endless line still costs no more than this.
    static constexpr std::size_t kLongestRow = 64 * 1024;

    using RowSink = std::function<void(std::string_view row)>;
    explicit ListFileLines(RowSink addRow);

    // What a bare LF that ends the file makes: the window's list takes the empty row after it
    // as any other; a list made by find or printf only ends there.
    enum class LastLineFeed { MakesARow, EndsTheList };

    void feed(std::string_view bytes);
    // The end of the file: gives the last row, if one is open.
    void finish(LastLineFeed lastLineFeed = LastLineFeed::MakesARow);

    // Rows left out for their length, and the line number of the first of them (from 1).
    std::size_t rowsLeftOut() const { return leftOut_; }
    std::size_t firstLineLeftOut() const { return firstLeftOut_; }

private:
    enum class Encoding { Unknown, Utf8, Utf16 };

    void chooseEncoding();
    void feedUtf16(std::string_view bytes);
    void feedUtf8(std::string_view text);
    void append(std::string_view part);
    void endRow();

    RowSink addRow_;
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
