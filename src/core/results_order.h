#pragma once

#include <QLocale>
#include <vector>

class RowList;

enum class SortDirection { Ascending, Descending };

// The orders the results list can be put in. Each answers every row number once, in the order
// the rows are to stand (for RowList::reorder), and is stable: rows that compare equal keep
// the order they had.

// By the exact byte count the size check read, never by the size text, whose unit may differ
// from row to row. Ascending is smallest first. Rows without a byte count (a failed read) come
// last in either direction.
std::vector<int> rowsBySize(const RowList& list, SortDirection direction);

// By the row's own text, the path, as the locale collates it, with numbers in natural order
// ("File2" before "File10").
std::vector<int> rowsByName(const RowList& list, SortDirection direction,
                            const QLocale& locale = QLocale());
