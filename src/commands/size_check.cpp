#include "commands/size_check.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/sizes_ahead.h"
#include "core/unit_options.h"
#include "core/units.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

#include <cstdint>
#include <string_view>

namespace {

// Rows between two looks at the clock: the wait rounds come by the clock, not by the row.
constexpr int kRowsPerClockLook = 64;

} // namespace

SizeCheck::SizeCheck(RowList& files, RowList& results, const UnitOptions& units,
                     const CommandContext& context)
    : files_(files), results_(results), units_(units), context_(context)
{
}

void SizeCheck::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton4_Click);
    if (checking_) return; // 100
    checking_ = true;      // 102

    if (!trap.test(104, [&] { return files_.count() <= 0; })) {
        trap.line(106, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
        int last = 0;
        trap.line(108, [&] { last = files_.count(); });
        SizesAhead sizes(files_, last, context_.events);
        short unit = UnitBytes;
        for (int i = 1; i <= last; ++i) {
            // A step that fails leaves its variable empty, said outright: the optimiser may
            // otherwise reuse the storage on the way out of the failed step.
            std::string_view path; // points into the file list's pinned texts
            if (!trap.line(110, [&] { path = files_.textUtf8(i); })) path = {};
            int row = 0;
            if (!trap.line(112, [&] { row = results_.addUtf8(path); })) row = 0;
            trap.line(114, [&] { unit = selectedUnit(units_, unit); });
            trap.line(130, [&] {
                const std::int64_t bytes = lengthFrom(sizes.of(i, path));
                results_.setSubItem(row, 1, ConvertUnitTo(unit, double(bytes)));
                // Kept exactly as read, for sorting and totals: the text may be in any unit.
                results_.setSize(row, bytes);
            });
            if (i % kRowsPerClockLook == 0) context_.events.processWaitRound();
        }
        sizes.finish();
        trap.line(134, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
        trap.line(136, [&] { context_.dialogs.inform(QStringLiteral("Done.")); });
    } else {
        trap.line(138, [&] { context_.dialogs.inform(QStringLiteral("No Files added.")); });
    }
    checking_ = false; // 140
}
