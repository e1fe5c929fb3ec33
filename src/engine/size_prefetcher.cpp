#include "engine/size_prefetcher.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/stat.h>

namespace engine {

namespace {

SizeResult sizeOfTerminated(const char* path)
{
    SizeResult result;
    struct stat info = {};
    if (::stat(path, &info) != 0) {
        result.kind = SizeResult::Kind::Failed;
        result.error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        result.kind = SizeResult::Kind::Folder;
    } else {
        result.kind = SizeResult::Kind::Length;
        result.regular = S_ISREG(info.st_mode);
        result.size = static_cast<std::int64_t>(info.st_size);
    }
    return result;
}

SizePrefetcher::Options sane(SizePrefetcher::Options options)
{
    options.threads = std::max(options.threads, 1u);
    options.window = std::max<std::size_t>(options.window, 1);
    options.batch = std::clamp<std::size_t>(options.batch, 1, options.window);
    return options;
}

} // namespace

SizeResult sizeOf(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos) {
        SizeResult result;
        result.kind = SizeResult::Kind::BadName;
        return result;
    }
    // Most paths fit on the stack; a million rows should not mean a million allocations.
    if (path.size() < 512) {
        char buffer[512];
        path.copy(buffer, path.size());
        buffer[path.size()] = '\0';
        return sizeOfTerminated(buffer);
    }
    try {
        return sizeOfTerminated(std::string(path).c_str());
    } catch (const std::bad_alloc&) {
        SizeResult result;
        result.error = ENOMEM;
        return result;
    }
}

SizePrefetcher::SizePrefetcher(std::size_t rows, PathAt pathAt)
    : SizePrefetcher(rows, std::move(pathAt), Options{})
{
}

SizePrefetcher::SizePrefetcher(std::size_t rows, PathAt pathAt, Options options)
    : rows_(rows), pathAt_(std::move(pathAt)), options_(sane(options))
{
    start();
}

SizePrefetcher::SizePrefetcher(std::vector<std::string> paths)
    : SizePrefetcher(std::move(paths), Options{})
{
}

SizePrefetcher::SizePrefetcher(std::vector<std::string> paths, Options options)
    : paths_(std::move(paths)), rows_(paths_.size()),
      pathAt_([this](std::size_t row) { return std::string_view(paths_[row]); }),
      options_(sane(options))
{
    start();
}

SizePrefetcher::~SizePrefetcher()
{
    cancel();
}

void SizePrefetcher::start()
{
    ring_.resize(std::min(options_.window, std::max<std::size_t>(rows_, 1)));
    const unsigned threads = static_cast<unsigned>(
        std::min<std::size_t>(options_.threads, (rows_ + options_.batch - 1) / options_.batch));
    try {
        workers_.reserve(threads);
        for (unsigned i = 0; i < threads; ++i)
            workers_.emplace_back([this] { work(); });
    } catch (...) {
        cancel();
        throw;
    }
}

bool SizePrefetcher::claimable() const
{
    // Whole batches only, but for the last rows: a worker woken for one free slot costs more
    // than the stat it would make.
    const std::size_t limit = std::min(rows_, taken_ + ring_.size());
    return nextToClaim_ < limit && (limit - nextToClaim_ >= options_.batch || limit == rows_);
}

void SizePrefetcher::work()
{
    std::vector<SizeResult> results;
    results.reserve(options_.batch);
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        workAvailable_.wait(lock,
                            [this] { return cancelled_ || nextToClaim_ >= rows_ || claimable(); });
        --idle_;
        if (cancelled_ || nextToClaim_ >= rows_) return;
        const std::size_t begin = nextToClaim_;
        const std::size_t end = std::min({rows_, begin + options_.batch, taken_ + ring_.size()});
        nextToClaim_ = end;
        lock.unlock();

        results.clear();
        for (std::size_t row = begin; row < end; ++row) {
            if (stopping_.load(std::memory_order_relaxed)) return;
            results.push_back(sizeOf(pathAt_(row)));
        }

        lock.lock();
        if (cancelled_) return;
        for (std::size_t row = begin; row < end; ++row) {
            Slot& slot = ring_[row % ring_.size()];
            slot.result = results[row - begin];
            slot.ready = true;
        }
        // Rows are taken in order, so the consumer can only be waiting for the first of them.
        if (begin == taken_) resultReady_.notify_one();
    }
}

SizePrefetcher::Take SizePrefetcher::take(SizeResult& out)
{
    return takeUntil(out, std::nullopt);
}

SizePrefetcher::Take SizePrefetcher::takeFor(SizeResult& out, std::chrono::milliseconds timeout)
{
    return takeUntil(out, std::chrono::steady_clock::now() + timeout);
}

SizePrefetcher::Take
SizePrefetcher::takeUntil(SizeResult& out,
                          std::optional<std::chrono::steady_clock::time_point> deadline)
{
    std::unique_lock lock(mutex_);
    if (cancelled_ || taken_ >= rows_) return Take::Ended;
    Slot& slot = ring_[taken_ % ring_.size()];
    const auto done = [&] { return cancelled_ || slot.ready; };
    if (deadline) {
        if (!resultReady_.wait_until(lock, *deadline, done)) return Take::TimedOut;
    } else {
        resultReady_.wait(lock, done);
    }
    if (cancelled_) return Take::Ended;
    out = slot.result;
    slot.ready = false;
    ++taken_;
    const bool more = idle_ > 0 && claimable();
    lock.unlock();
    if (more) workAvailable_.notify_one();
    return Take::Ready;
}

std::size_t SizePrefetcher::next() const
{
    const std::lock_guard lock(mutex_);
    return taken_;
}

void SizePrefetcher::cancel()
{
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        stopping_.store(true, std::memory_order_relaxed);
    }
    workAvailable_.notify_all();
    resultReady_.notify_all();
    const std::lock_guard join(joinMutex_);
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

} // namespace engine
