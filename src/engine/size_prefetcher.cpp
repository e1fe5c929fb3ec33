#include "engine/size_prefetcher.h"

#include "engine/thread_sleeps.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <sys/stat.h>
#include <system_error>

namespace engine {

namespace {

SizePrefetcher::Options sane(SizePrefetcher::Options options)
{
    options.threads = std::max(options.threads, 1u);
    if (options.cpuBoundThreads == 0)
        options.cpuBoundThreads = std::max(std::thread::hardware_concurrency(), 1u) + 1;
    options.cpuBoundThreads = std::min(options.cpuBoundThreads, options.threads);
    options.window = std::max<std::size_t>(options.window, 1);
    options.batch = std::clamp<std::size_t>(options.batch, 1, options.window);
    return options;
}

} // namespace

SizePrefetcher::SizePrefetcher(std::size_t rows, PathAt pathAt)
    : SizePrefetcher(rows, std::move(pathAt), Options{})
{
}

SizePrefetcher::SizePrefetcher(std::size_t rows, PathAt pathAt, Options options)
    : rows_(rows), pathAt_(std::move(pathAt)), options_(sane(options))
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
    allowed_ = options_.cpuBoundThreads;
    maxWorkers_ = unsigned(
        std::min<std::size_t>(options_.threads, (rows_ + options_.batch - 1) / options_.batch));
    try {
        const std::lock_guard lock(mutex_);
        workers_.reserve(maxWorkers_);
        spawn(std::min(maxWorkers_, options_.cpuBoundThreads));
    } catch (...) {
        cancel();
        throw;
    }
}

void SizePrefetcher::spawn(unsigned count)
{
    // Workers that are not needed yet are not started: idle ones woken in vain cost more than
    // the stats they would make.
    while (count-- > 0 && workers_.size() < maxWorkers_)
        workers_.emplace_back([this] { work(); });
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
    std::vector<posix::SizeResult> results;
    results.reserve(options_.batch);
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        workAvailable_.wait(lock, [this] {
            return cancelled_ || nextToClaim_ >= rows_ || (claimable() && busy_ < allowed_);
        });
        --idle_;
        if (cancelled_ || nextToClaim_ >= rows_) return;
        const std::size_t begin = nextToClaim_;
        const std::size_t end = std::min({rows_, begin + options_.batch, taken_ + ring_.size()});
        nextToClaim_ = end;
        ++busy_;
        lock.unlock();

        const long sleepsBefore = sleepsSoFar();
        results.clear();
        {
            // Rows in one folder mostly come together; the batch walks each folder's path once.
            posix::SizeReader sizes;
            for (std::size_t row = begin; row < end; ++row) {
                if (stopping_.load(std::memory_order_relaxed)) return;
                results.push_back(sizes.of(pathAt_(row)));
            }
        }
        // Even one sleep in a batch is a disk or a network answering, not the memory.
        const bool waiting = sleepsSoFar() > sleepsBefore;

        lock.lock();
        --busy_;
        if (cancelled_) return;
        // Stats that wait call in every worker; stats that do not are better left to a few.
        const unsigned allowed = waiting ? options_.threads : options_.cpuBoundThreads;
        if (waiting && workers_.size() < maxWorkers_) {
            try {
                spawn(maxWorkers_);
            } catch (const std::system_error&) {
                // No more threads to be had: those running go on with the work.
            }
        }
        const unsigned more = allowed > allowed_ ? std::min(idle_, allowed - allowed_) : 0;
        allowed_ = allowed;
        for (unsigned i = 0; i < more && claimable(); ++i)
            workAvailable_.notify_one();
        for (std::size_t row = begin; row < end; ++row) {
            Slot& slot = ring_[row % ring_.size()];
            slot.result = results[row - begin];
            slot.ready = true;
        }
        // Rows are taken in order, so the consumer can only be waiting for the first of them.
        if (begin == taken_) resultReady_.notify_one();
    }
}

SizePrefetcher::Take SizePrefetcher::takeSomeFor(std::vector<posix::SizeResult>& out,
                                                 std::size_t most,
                                                 std::chrono::milliseconds timeout)
{
    out.clear();
    most = std::max<std::size_t>(most, 1);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    if (cancelled_ || taken_ >= rows_) return Take::Ended;
    const auto ready = [&] { return cancelled_ || ring_[taken_ % ring_.size()].ready; };
    if (!resultReady_.wait_until(lock, deadline, ready)) return Take::TimedOut;
    if (cancelled_) return Take::Ended;
    for (std::size_t n = 0; n < most && taken_ < rows_; ++n) {
        Slot& slot = ring_[taken_ % ring_.size()];
        if (!slot.ready) break;
        out.push_back(slot.result);
        slot.ready = false;
        ++taken_;
    }
    const unsigned workers = workersToWake();
    lock.unlock();
    wake(workers);
    return Take::Ready;
}

unsigned SizePrefetcher::workersToWake() const
{
    if (idle_ == 0 || busy_ >= allowed_ || !claimable()) return 0;
    const std::size_t limit = std::min(rows_, taken_ + ring_.size());
    const std::size_t batches = (limit - nextToClaim_ + options_.batch - 1) / options_.batch;
    return unsigned(std::min<std::size_t>({idle_, batches, allowed_ - busy_}));
}

void SizePrefetcher::wake(unsigned workers)
{
    // One by one: waking every idle worker to find most of them not needed costs more than
    // the stats they would make.
    for (unsigned i = 0; i < workers; ++i)
        workAvailable_.notify_one();
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
