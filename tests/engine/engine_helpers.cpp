#include "engine_helpers.h"

#include <utility>

namespace enginetest {

PathListPrefetcher::PathListPrefetcher(std::vector<std::string> list, Options options)
    : OwnedPaths{std::move(list)},
      SizePrefetcher(
          paths.size(), [kept = &paths](std::size_t row) { return std::string_view((*kept)[row]); },
          options)
{
}

engine::SizePrefetcher::Take takeOneFor(engine::SizePrefetcher& prefetcher, posix::SizeResult& out,
                                        std::chrono::milliseconds timeout)
{
    std::vector<posix::SizeResult> one;
    const engine::SizePrefetcher::Take took = prefetcher.takeSomeFor(one, 1, timeout);
    if (took == engine::SizePrefetcher::Take::Ready) out = one.front();
    return took;
}

// Waits as long as it takes in long rounds: a timeout only starts the next one.
constexpr std::chrono::hours kRound{1};

engine::SizePrefetcher::Take takeOne(engine::SizePrefetcher& prefetcher, posix::SizeResult& out)
{
    engine::SizePrefetcher::Take took;
    while ((took = takeOneFor(prefetcher, out, kRound)) == engine::SizePrefetcher::Take::TimedOut) {
    }
    return took;
}

engine::DirectoryWalker::Take takeOne(engine::DirectoryWalker& walker, engine::FolderListing& out)
{
    engine::DirectoryWalker::Take took;
    while ((took = walker.takeFor(out, kRound)) == engine::DirectoryWalker::Take::TimedOut) {
    }
    return took;
}

} // namespace enginetest
