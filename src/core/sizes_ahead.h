#pragma once

#include "engine/size_prefetcher.h"
#include "lists/row_store.h"
#include "posix/file_queries.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class EventPump;
class RowList;

// The length a size read stands for, or the error the file-length query raises for it, as the
// report names it.
std::int64_t lengthFrom(const posix::SizeResult& result);

// The sizes of a list's rows, read ahead on a pool of threads and handed out in row order. The
// workers read the rows' texts in place, pinned: should anything change the list meanwhile, the
// texts stay readable until the workers are joined. While a row waits, the window gets its wait
// rounds.
class SizesAhead
{
public:
    // Rows 1 to `rows` of `list`.
    SizesAhead(const RowList& list, int rows, EventPump& events) noexcept;
    ~SizesAhead();
    SizesAhead(const SizesAhead&) = delete;
    SizesAhead& operator=(const SizesAhead&) = delete;

    // The size of row (1-based), whose text is path; rows are asked for in ascending order.
    posix::SizeResult of(int row, std::string_view path);

    // Stops and joins the workers.
    void finish() { prefetcher_.reset(); }

private:
    // Rows are taken a block at a time: one lock for many rows.
    static constexpr std::size_t kBlockRows = 256;
    std::size_t blockEnd() const { return blockStart_ + blockUsed_; }

    EventPump& events_;
    TextArena::Pin pin_;
    std::vector<std::string_view> paths_;
    std::vector<posix::SizeResult> block_; // rows blockStart_ onwards, as last taken
    std::size_t blockStart_ = 0;
    std::size_t blockUsed_ = 0;
    std::unique_ptr<engine::SizePrefetcher> prefetcher_; // last: its workers read paths_
};
