#include "commands/size_check.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/size_rows.h"
#include "core/sizes_ahead.h"
#include "core/unit_options.h"
#include "core/units.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"

#include <QScopeGuard>
#include <string_view>

namespace {

// Rows between two looks at the clock: the wait rounds come by the clock, not by the row.
constexpr int kRowsPerClockLook = 64;

// One results row appended for each file row, in the unit the options show at the time.
class ResultsRows : public SizeRowSteps
{
public:
    ResultsRows(const RowList& files, RowList& results, const UnitOptions& units, EventPump& events)
        : files_(files), results_(results), units_(units), events_(events)
    {
    }

    // The path's bytes are shared with the file list's row, not copied.
    int targetRow(int, std::string_view path) override
    {
        return unfinished_ = results_.addUtf8(path, files_);
    }
    short unit() override { return unit_ = selectedUnit(units_, unit_); }
    bool rowDone(int i, int) override
    {
        unfinished_ = 0;
        events_.progress().setDone(i);
        if (i % kRowsPerClockLook == 0) events_.processWaitRound();
        return true;
    }
    // A stop while a row waits for its size: every results row left holds its size.
    void dropUnfinishedRow()
    {
        if (unfinished_ > 0) results_.remove(unfinished_);
        unfinished_ = 0;
    }

private:
    const RowList& files_;
    RowList& results_;
    const UnitOptions& units_;
    EventPump& events_;
    short unit_ = UnitBytes;
    int unfinished_ = 0;
};

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
    // 140, on every way out: a stopped check leaves the button ready for the next.
    const auto checked = qScopeGuard([this] { checking_ = false; });

    if (!trap.test(104, [&] { return files_.count() <= 0; })) {
        trap.line(106, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
        int last = 0;
        trap.line(108, [&] { last = files_.count(); });
        const Progress::Stage stage(context_.events.progress(), Progress::Work::Checking,
                                    Progress::Place::Results, last);
        results_.reserve(last);
        SizesAhead sizes(files_, last, context_.events);
        ResultsRows steps(files_, results_, units_, context_.events);
        try {
            SizeRows(files_, last, sizes, results_, trap, {110, 112, 114, 130}, steps);
        } catch (const CommandStopped&) {
            steps.dropUnfinishedRow();
            throw;
        }
        sizes.finish();
        trap.line(134, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
        trap.line(136, [&] {
            context_.dialogs.inform(context_.errors.closingText(QStringLiteral("Done.")));
        });
    } else {
        trap.line(138, [&] { context_.dialogs.inform(QStringLiteral("No Files added.")); });
    }
}
