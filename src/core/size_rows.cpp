#include "core/size_rows.h"

#include "core/error_trap.h"
#include "core/sizes_ahead.h"
#include "core/units.h"
#include "lists/row_list.h"

#include <cstdint>

void SizeRows(const RowList& files, int last, SizesAhead& sizes, RowList& target, ErrorTrap& trap,
              const SizeRowLines& lines, SizeRowSteps& steps)
{
    short unit = UnitBytes;
    for (int i = 1; i <= last; ++i) {
        // A step that fails leaves its variable empty, said outright: the optimiser may
        // otherwise reuse the storage on the way out of the failed step.
        const ErrorTrap::OnRow onRow(trap, files, i);
        std::string_view path; // points into the file list's pinned texts
        if (!trap.line(lines.path, [&] { path = files.textUtf8(i); })) path = {};
        int row = 0;
        if (!trap.line(lines.target, [&] { row = steps.targetRow(i, path); })) row = 0;
        trap.line(lines.unit, [&] { unit = steps.unit(); });
        trap.line(lines.size, [&] {
            const std::int64_t bytes = lengthFrom(sizes.of(i, path));
            target.setSubItem(row, 1, ConvertUnitTo(unit, double(bytes)));
            // Kept exactly as read, for sorting and totals: the text may be in any unit.
            target.setSize(row, bytes);
        });
        if (!steps.rowDone(i, row)) break;
    }
}
