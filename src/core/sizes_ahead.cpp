#include "core/sizes_ahead.h"

#include "base/runtime_error.h"
#include "lists/row_list.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"

#include <algorithm>
#include <chrono>
#include <exception>

namespace {

// A stat mostly waits on the disk or the network, so the pool is sized for that.
const engine::SizePrefetcher::Options kPrefetchOptions{16, 4096, 64};
// How long a wait for a worker lasts before the window gets a round.
constexpr std::chrono::milliseconds kWaitSlice{10};

} // namespace

std::int64_t lengthFrom(const posix::SizeResult& result)
{
    using Kind = posix::SizeResult::Kind;
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

SizesAhead::SizesAhead(const RowList& list, int rows, EventPump& events) noexcept
    : events_(events), pin_(list.pinTexts())
{
    try {
        paths_.reserve(std::size_t(std::max(rows, 0)));
        for (int row = 1; row <= rows; ++row)
            paths_.push_back(list.textUtf8(row));
        prefetcher_ = std::make_unique<engine::SizePrefetcher>(
            paths_.size(), [this](std::size_t row) { return paths_[row]; }, kPrefetchOptions);
    } catch (const std::exception&) {
        prefetcher_.reset(); // no threads or no room: each size is read when its turn comes
    }
}

SizesAhead::~SizesAhead() = default;

posix::SizeResult SizesAhead::of(int row, std::string_view path)
{
    const std::size_t wanted = std::size_t(row - 1);
    while (prefetcher_ && blockEnd() <= wanted) {
        const auto taken = takeWithWaitRounds(
            events_, [&] { return prefetcher_->takeSomeFor(block_, kBlockRows, kWaitSlice); });
        blockStart_ += blockUsed_;
        blockUsed_ = block_.size();
        if (taken == engine::SizePrefetcher::Take::Ended) break;
    }
    if (wanted >= blockStart_ && wanted < blockEnd() && paths_[wanted] == path)
        return block_[wanted - blockStart_];
    return posix::sizeOf(path);
}
