#pragma once

#include <string_view>

class ErrorTrap;
class RowList;
class SizesAhead;

// Where the callers of SizeRows differ. Each is asked once a row, in this order.
class SizeRowSteps
{
public:
    virtual ~SizeRowSteps() = default;

    // Row i, whose text is `path` (empty when reading it failed), is next: the row of the target
    // that takes its size.
    virtual int targetRow(int i, std::string_view path) = 0;
    // The unit of this row's size text.
    virtual short unit() = 0;
    // Row i's size is in the target's `row`, or was reported. False ends the walk here.
    virtual bool rowDone(int i, int row) = 0;
};

// The numbered statements of one row, in their order.
struct SizeRowLines
{
    int path;   // the row's text
    int target; // SizeRowSteps::targetRow
    int unit;   // SizeRowSteps::unit
    int size;   // the size, as text and as bytes
};

// Rows 1 to `last` of `files`, each one's size from `sizes` into the target row: the text in
// column 1 through ConvertUnitTo, the byte count through RowList::setSize. Each step runs under
// the caller's trap, so a failing one is reported once and the walk goes on with the next; a
// step whose value failed leaves it empty (an empty path, row 0) for the steps after it.
void SizeRows(const RowList& files, int last, SizesAhead& sizes, RowList& target, ErrorTrap& trap,
              const SizeRowLines& lines, SizeRowSteps& steps);
