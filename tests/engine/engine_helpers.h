#pragma once

#include "engine/directory_walker.h"
#include "engine/size_prefetcher.h"
#include "posix/file_queries.h"

#include <chrono>
#include <string>
#include <vector>

// The engine's consumers as the tests drive them, built on what the program itself calls: a
// prefetcher that keeps its own list of paths, and takes of one result at a time.
namespace enginetest {

// The paths a PathListPrefetcher reads; a base of its own so that they outlive its workers.
struct OwnedPaths
{
    std::vector<std::string> paths;
};

// A prefetcher over a list of paths it keeps, its rows handed out as the size check's are.
class PathListPrefetcher : private OwnedPaths, public engine::SizePrefetcher
{
public:
    explicit PathListPrefetcher(std::vector<std::string> paths, Options options = {});
};

// The result of row next(), waiting as long as it takes: Ended after the last row or once
// cancelled.
engine::SizePrefetcher::Take takeOne(engine::SizePrefetcher& prefetcher, posix::SizeResult& out);
// The same, waiting at most timeout; TimedOut leaves out unchanged.
engine::SizePrefetcher::Take takeOneFor(engine::SizePrefetcher& prefetcher, posix::SizeResult& out,
                                        std::chrono::milliseconds timeout);
// The walker's next listing, waiting as long as it takes: Ended when every submitted folder
// was taken or the walker was cancelled.
engine::DirectoryWalker::Take takeOne(engine::DirectoryWalker& walker, engine::FolderListing& out);

} // namespace enginetest
