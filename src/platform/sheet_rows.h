#pragma once

#include "platform/deflate_part.h"
#include "platform/unique_fd.h"
#include "platform/zip_archive.h"

#include <exception>
#include <string>
#include <string_view>

// A sheet's rows as its XML holds them, the text of each cell inline. They wait in a file as
// they come, so a million rows take the memory of one, and are compressed when they end: the
// middle part of the sheet's stream (see DeflatePart), whose head and tail are known only then.
// The compression is the save's work, not the gathering's.
class SheetRows
{
public:
    // The files are empty: one for the rows as they come, one for the compressed rows.
    SheetRows(UniqueFd plainFile, UniqueFd packedFile, int level);

    // Cells come in order: rows upwards, and columns upwards within a row. `text` is UTF-8 and
    // not empty.
    void addCell(int row, int column, std::string_view text);
    // Ends the last row and compresses the rows. Once. Throws RuntimeError when a file could
    // not be written or read.
    void end();

    bool empty() const { return lastRow_ == 0; }
    // The cells' extent, as the sheet's dimension says it: "A1:C9", or "B2" for one cell.
    std::string dimension() const;
    // The whole sheet: `before`, the rows, then `after`, each compressed on its own. Once the
    // rows have ended.
    DeflatedContent within(std::string_view before, std::string_view after) const;

private:
    void store();
    void compress();

    UniqueFd plainFile_;
    UniqueFd packedFile_;
    DeflatePart part_;
    std::string xml_; // rows not yet in the file
    off_t stored_ = 0;
    std::exception_ptr failure_; // the first write's; nothing more is written after it

    int lastRow_ = 0;
    int firstRow_ = 0;
    int firstColumn_ = 0;
    int lastColumn_ = 0;
};
