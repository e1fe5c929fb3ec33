#pragma once

#include <QString>
#include <array>
#include <cstdint>

class RowList;

// A sum of byte counts that cannot overflow: a million rows of the largest file there can be
// still fit. Exact in every digit, where a double stops counting single bytes at 2^53.
class ByteSum
{
public:
    void add(std::uint64_t bytes);
    // Every digit, in decimal, without grouping.
    QString digits() const;
    // The nearest double, for the unit texts.
    double toDouble() const;

private:
    std::array<std::uint32_t, 4> limbs_{}; // least significant first
};

// What "Total…" counts: the ticked rows, or every row when none is ticked.
struct ResultsTotal
{
    int rows = 0;         // the rows counted
    bool allRows = false; // none was ticked, so every row was counted
    ByteSum bytes;        // their byte counts
    int withoutSize = 0;  // counted rows without a byte count, which add nothing
};

ResultsTotal totalOfTickedRows(const RowList& list);

// The box's text: the rows counted, their sum in each of the four units as the results list
// writes them, every digit of the byte count, and the rows that had no size.
QString totalMessage(const ResultsTotal& total);
