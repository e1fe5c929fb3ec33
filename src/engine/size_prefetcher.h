#pragma once

#include "posix/file_queries.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace engine {

// Reads the sizes of a fixed list of paths on a pool of threads, a bounded window ahead of a
// consumer that takes the results strictly in row order. Taking belongs to one consumer thread;
// cancel may come from any thread.
class SizePrefetcher
{
public:
    // The native path of row i (rows count from 0). Called from the worker threads,
    // concurrently, so the text it points into must stay unchanged until the prefetcher has
    // finished or been cancelled. It must not throw.
    using PathAt = std::function<std::string_view(std::size_t row)>;

    struct Options
    {
        // A stat mostly waits on the disk or the network, so more threads than cores.
        unsigned threads = 16;
        // Rows read ahead of the consumer; bounds the memory held whatever the list's length.
        std::size_t window = 4096;
        // Rows one worker claims at a time, so the lock is taken once per batch, not per row.
        std::size_t batch = 16;
        // Workers at work while stats answer from memory: beyond the cores they only take
        // turns. The rest join in while stats wait on a disk or a network (0: cores + 1).
        unsigned cpuBoundThreads = 0;
    };

    enum class Take { Ready, TimedOut, Ended };

    SizePrefetcher(std::size_t rows, PathAt pathAt);
    SizePrefetcher(std::size_t rows, PathAt pathAt, Options options);
    // Cancels and joins the workers.
    ~SizePrefetcher();
    SizePrefetcher(const SizePrefetcher&) = delete;
    SizePrefetcher& operator=(const SizePrefetcher&) = delete;

    // The results of row next() and of the ready rows right after it, at most `most` of them,
    // in row order, in place of what out held; waits at most timeout for the first. Ended after
    // the last row or once cancelled; TimedOut leaves out empty. One lock for many rows: a
    // consumer that takes row by row contends with every worker.
    Take takeSomeFor(std::vector<posix::SizeResult>& out, std::size_t most,
                     std::chrono::milliseconds timeout);

    // The row the next take starts at.
    std::size_t next() const;
    std::size_t rows() const { return rows_; }

    // Stops the workers and joins them: no worker runs afterwards. May be called more than once.
    void cancel();

private:
    struct Slot
    {
        posix::SizeResult result;
        bool ready = false;
    };

    void start();
    // Starts up to `count` more workers; called with the lock held.
    void spawn(unsigned count);
    void work();
    bool claimable() const;
    // Called with the lock held once rows were taken; wakes a worker for each whole batch
    // that became free.
    unsigned workersToWake() const;
    void wake(unsigned workers);

    const std::size_t rows_;
    const PathAt pathAt_;
    const Options options_;

    mutable std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable resultReady_;
    std::vector<Slot> ring_; // row r lives in ring_[r % window] while it is ahead
    std::size_t taken_ = 0;
    std::size_t nextToClaim_ = 0;
    unsigned idle_ = 0;    // workers waiting for rows to claim
    unsigned busy_ = 0;    // workers reading a batch
    unsigned allowed_ = 1; // workers that may be busy at once, after how long stats take
    bool cancelled_ = false;
    std::atomic<bool> stopping_{false}; // read by workers mid-batch, without the lock

    std::mutex joinMutex_;
    unsigned maxWorkers_ = 0;
    std::vector<std::thread> workers_; // grows under the lock, and only before a cancel
};

} // namespace engine
