#pragma once

#include "core/results_order.h"
#include "lists/row_list.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

// The rows by their whole texts, stably, as one collator with numbers in natural order ranks
// them: what the name sort must give. By collation keys, so tens of thousands of rows take a
// moment.
inline std::vector<int> rowsByWholeKeys(const RowList& list, SortDirection direction,
                                        const QLocale& locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    for (int row = 1; row <= list.count(); ++row)
        keys.push_back(collator.sortKey(list.text(row)));
    std::vector<int> order(std::size_t(list.count()));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int compared = keys[std::size_t(a - 1)].compare(keys[std::size_t(b - 1)]);
        return direction == SortDirection::Ascending ? compared < 0 : compared > 0;
    });
    return order;
}
