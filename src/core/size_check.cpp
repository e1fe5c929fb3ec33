#include "core/size_check.h"

#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "core/unit_options.h"
#include "core/units.h"
#include "core/window_pointer.h"
#include "engine/size_prefetcher.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// A stat mostly waits on the disk or the network, so the pool is sized for that.
const engine::SizePrefetcher::Options kPrefetchOptions{16, 4096, 64};
// How long a wait for a worker lasts before the window gets a round.
constexpr std::chrono::milliseconds kWaitSlice{10};
// Rows between two looks at the clock: the held rounds come by the clock, not by the row.
constexpr int kRowsPerClockLook = 64;

// The length, or the error the query stands for, as the report names it.
std::int64_t lengthFrom(const engine::SizeResult& result)
{
    using Kind = engine::SizeResult::Kind;
    switch (result.kind) {
    case Kind::Length:
        return result.size;
    case Kind::Folder:
        throw FileSystem::folderHasNoLength();
    case Kind::BadName:
        throw RuntimeError::badFileName();
    case Kind::Failed:
        break;
    }
    throw RuntimeError::fromErrno(result.error);
}

// The sizes of the file list's rows, read ahead on a pool of threads and handed out in row
// order. The workers read the rows' texts in place, pinned: nothing changes the list while the
// check holds the user's input, and should anything do so the texts stay readable until the
// workers are joined.
class SizesAhead
{
public:
    SizesAhead(const RowList& files, int rows, EventPump& events) noexcept
        : events_(events), pin_(files.pinTexts())
    {
        try {
            paths_.reserve(std::size_t(std::max(rows, 0)));
            for (int row = 1; row <= rows; ++row)
                paths_.push_back(files.textUtf8(row));
            prefetcher_ = std::make_unique<engine::SizePrefetcher>(
                paths_.size(), [this](std::size_t row) { return paths_[row]; }, kPrefetchOptions);
        } catch (const std::exception&) {
            prefetcher_.reset(); // no threads or no room: each size is read when its turn comes
        }
    }

    // The size of row (1-based), whose text is path; rows are asked for in ascending order.
    engine::SizeResult of(int row, std::string_view path)
    {
        const std::size_t wanted = std::size_t(row - 1);
        while (prefetcher_ && blockEnd() <= wanted) {
            const auto taken = takeWithHeldRounds(
                events_, [&] { return prefetcher_->takeSomeFor(block_, kBlockRows, kWaitSlice); });
            blockStart_ += blockUsed_;
            blockUsed_ = block_.size();
            if (taken == engine::SizePrefetcher::Take::Ended) break;
        }
        if (wanted >= blockStart_ && wanted < blockEnd() && paths_[wanted] == path)
            return block_[wanted - blockStart_];
        return engine::sizeOf(path);
    }

    // Stops and joins the workers.
    void finish() { prefetcher_.reset(); }

private:
    // Rows are taken a block at a time: one lock for many rows.
    static constexpr std::size_t kBlockRows = 256;
    std::size_t blockEnd() const { return blockStart_ + blockUsed_; }

    EventPump& events_;
    TextArena::Pin pin_;
    std::vector<std::string_view> paths_;
    std::vector<engine::SizeResult> block_; // rows blockStart_ onwards, as last taken
    std::size_t blockStart_ = 0;
    std::size_t blockUsed_ = 0;
    std::unique_ptr<engine::SizePrefetcher> prefetcher_; // last: its workers read paths_
};

} // namespace

SizeCheck::SizeCheck(RowList& files, RowList& results, const UnitOptions& units,
                     const CommandContext& context)
    : files_(files), results_(results), units_(units), context_(context)
{
}

void SizeCheck::run()
{
    ErrorTrap trap(context_.errors, QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
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
            if (i % kRowsPerClockLook == 0) context_.events.processHeldEvents();
        }
        sizes.finish();
        trap.line(134, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
        trap.line(136, [&] { context_.dialogs.inform(QStringLiteral("Done.")); });
    } else {
        trap.line(138, [&] { context_.dialogs.inform(QStringLiteral("No Files added.")); });
    }
    checking_ = false; // 140
}
