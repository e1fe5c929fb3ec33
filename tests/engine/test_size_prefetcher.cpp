#include "engine/size_prefetcher.h"
#include "engine_helpers.h"
#include "engine_test_support.h"
#include "posix/file_queries.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace enginetest;
using engine::SizePrefetcher;
using Kind = posix::SizeResult::Kind;

namespace {

struct Expected
{
    Kind kind;
    int error = 0;
    std::int64_t size = 0;
    bool regular = false;
};

Expected length(std::int64_t size, bool regular = true)
{
    return {Kind::Length, 0, size, regular};
}

Expected failed(int error)
{
    return {Kind::Failed, error, 0, false};
}

bool matches(const posix::SizeResult& got, const Expected& expected)
{
    if (got.kind != expected.kind) return false;
    switch (got.kind) {
    case Kind::Length:
        return got.size == expected.size && got.regular == expected.regular;
    case Kind::Failed:
        return got.error == expected.error;
    case Kind::Folder:
    case Kind::BadName:
        return true;
    }
    return false;
}

std::string describe(const posix::SizeResult& result)
{
    return "kind=" + std::to_string(int(result.kind)) + " error=" + std::to_string(result.error) +
           " size=" + std::to_string(result.size) + " regular=" + std::to_string(result.regular);
}

// Takes every row and counts those that differ from the expectation.
std::size_t mismatches(SizePrefetcher& prefetcher, const std::vector<Expected>& expected)
{
    std::size_t wrong = 0;
    posix::SizeResult result;
    for (std::size_t row = 0; row < expected.size(); ++row) {
        if (prefetcher.next() != row ||
            takeOne(prefetcher, result) != SizePrefetcher::Take::Ready) {
            CHECK_MSG(false, "row " + std::to_string(row) + " was not delivered");
            return wrong + expected.size() - row;
        }
        if (!matches(result, expected[row])) {
            if (wrong == 0) std::printf("first wrong row %zu: %s\n", row, describe(result).c_str());
            ++wrong;
        }
    }
    CHECK(takeOne(prefetcher, result) == SizePrefetcher::Take::Ended);
    return wrong;
}

// The same, taking the ready rows in blocks of at most `most`, as the size check does.
std::size_t blockMismatches(SizePrefetcher& prefetcher, const std::vector<Expected>& expected,
                            std::size_t most)
{
    std::size_t wrong = 0;
    std::size_t row = 0;
    std::vector<posix::SizeResult> block;
    for (;;) {
        const auto took = prefetcher.takeSomeFor(block, most, std::chrono::seconds(60));
        if (took != SizePrefetcher::Take::Ready) {
            CHECK(took == SizePrefetcher::Take::Ended && block.empty());
            break;
        }
        CHECK(!block.empty() && block.size() <= std::max<std::size_t>(most, 1));
        for (const posix::SizeResult& result : block) {
            if (row >= expected.size()) {
                CHECK_MSG(false, "a row past the end was delivered");
                return wrong + 1;
            }
            if (!matches(result, expected[row])) {
                if (wrong == 0)
                    std::printf("first wrong row %zu: %s\n", row, describe(result).c_str());
                ++wrong;
            }
            ++row;
        }
    }
    CHECK_MSG(row == expected.size(), "rows delivered: " + std::to_string(row));
    return wrong;
}

// Existing, empty, missing, unreadable and malformed paths, a folder, a FIFO (which would hang
// a worker that opened it) and links, each where the file-length query would meet it.
void testMixedList()
{
    TempDir dir;
    makeFile(dir / "a.bin", 1234);
    makeFile(dir / "empty", 0);
    makeFolder(dir / "folder");
    makeFifo(dir / "pipe");
    makeLink("a.bin", dir / "to-file");
    makeLink("nowhere", dir / "dangling");
    makeLink("loop", dir / "loop");
    makeFolder(dir / "locked");
    makeFile(dir / "locked/secret.txt", 8);
    ::chmod((dir / "locked").c_str(), 0);

    std::vector<std::string> paths;
    std::vector<Expected> expected;
    const auto add = [&](std::string path, Expected result) {
        paths.push_back(std::move(path));
        expected.push_back(result);
    };
    add(dir / "a.bin", length(1234));
    add(dir / "empty", length(0));
    add(dir / "missing", failed(ENOENT));
    add(dir / "a.bin/below", failed(ENOTDIR));
    add(dir / "folder", {Kind::Folder});
    add(dir / "folder/", {Kind::Folder});
    add(dir / "pipe", length(0, false));
    add(dir / "to-file", length(1234));
    add(dir / "dangling", failed(ENOENT));
    add(dir / "loop", failed(ELOOP));
    add(dir.path() + std::string("/a\0b", 4), {Kind::BadName});
    add("", failed(ENOENT));
    add(dir.path() + "/" + std::string(5000, 'x'), failed(ENAMETOOLONG));
    add(dir / "locked/secret.txt", permissionsApply() ? failed(EACCES) : length(8));
    add(dir / "a.bin", length(1234));
    add(dir / "new\nline\xff", failed(ENOENT));
    if (!permissionsApply())
        std::printf("skipped: unreadable path (running as root, where permissions do not "
                    "block)\n");

    for (const SizePrefetcher::Options options :
         {SizePrefetcher::Options{}, SizePrefetcher::Options{1, 1, 1},
          SizePrefetcher::Options{16, 3, 2}, SizePrefetcher::Options{4, 100, 50}}) {
        PathListPrefetcher prefetcher(paths, options);
        CHECK(prefetcher.rows() == paths.size());
        CHECK(mismatches(prefetcher, expected) == 0);
        for (const std::size_t most : {std::size_t(0), std::size_t(3), std::size_t(1000)}) {
            PathListPrefetcher inBlocks(paths, options);
            CHECK(blockMismatches(inBlocks, expected, most) == 0);
        }
    }
    for (std::size_t row = 0; row < paths.size(); ++row)
        CHECK_MSG(matches(posix::sizeOf(paths[row]), expected[row]),
                  "sizeOf, row " + std::to_string(row));
}

// 100,000 rows over a hundred files of known sizes, every thirteenth row missing.
void testLongList()
{
    TempDir dir;
    for (int i = 0; i < 100; ++i)
        makeFile(dir / numbered("f", i), std::size_t(i));
    const std::size_t rows = 100000;
    std::vector<std::string> paths;
    std::vector<Expected> expected;
    paths.reserve(rows);
    expected.reserve(rows);
    for (std::size_t row = 0; row < rows; ++row) {
        if (row % 13 == 0) {
            paths.push_back(dir / numbered("gone", row));
            expected.push_back(failed(ENOENT));
        } else {
            const std::size_t file = row * 7 % 100;
            paths.push_back(dir / numbered("f", file));
            expected.push_back(length(std::int64_t(file)));
        }
    }

    {
        PathListPrefetcher prefetcher(paths);
        CHECK(mismatches(prefetcher, expected) == 0);
        CHECK(prefetcher.next() == rows);
    }
    // In blocks, a window of three batches, so workers and the consumer meet at the ring's end.
    {
        PathListPrefetcher prefetcher(paths, {16, 192, 64});
        CHECK(blockMismatches(prefetcher, expected, 256) == 0);
        CHECK(prefetcher.next() == rows);
    }
    // Through the row callback, with a window far smaller than the pool's claims, so the
    // ring wraps many times and workers keep running into its end.
    {
        std::atomic<std::size_t> calls{0};
        SizePrefetcher prefetcher(rows,
                                  [&](std::size_t row) {
                                      calls.fetch_add(1, std::memory_order_relaxed);
                                      return std::string_view(paths[row]);
                                  },
                                  {16, 5, 3});
        CHECK(mismatches(prefetcher, expected) == 0);
        prefetcher.cancel();
        CHECK(calls.load() == rows); // each row read once
    }
}

void testTimedTakeAndEmptyList()
{
    posix::SizeResult result;
    {
        PathListPrefetcher none(std::vector<std::string>{});
        CHECK(none.rows() == 0);
        CHECK(takeOneFor(none, result, std::chrono::milliseconds(1)) ==
              SizePrefetcher::Take::Ended);
        CHECK(takeOne(none, result) == SizePrefetcher::Take::Ended);
    }
    TempDir dir;
    makeFile(dir / "one", 1);
    PathListPrefetcher prefetcher({dir / "one", dir / "two"});
    // The way a window keeps painting: short waits until the row is there.
    SizePrefetcher::Take took;
    while ((took = takeOneFor(prefetcher, result, std::chrono::milliseconds(1))) ==
           SizePrefetcher::Take::TimedOut) {
    }
    CHECK(took == SizePrefetcher::Take::Ready && matches(result, length(1)));
    CHECK(takeOneFor(prefetcher, result, std::chrono::seconds(60)) == SizePrefetcher::Take::Ready &&
          matches(result, failed(ENOENT)));
    CHECK(takeOneFor(prefetcher, result, std::chrono::milliseconds(1)) ==
          SizePrefetcher::Take::Ended);
}

void testCancellation()
{
    TempDir dir;
    makeFile(dir / "file", 42);
    const std::vector<std::string> paths(100000, dir / "file");
    const int before = threadCount();

    // Destroyed while the workers are filling the window.
    {
        PathListPrefetcher prefetcher(paths, {16, 4096, 16, 16});
        CHECK(threadCount() == before + 16);
        posix::SizeResult result;
        for (int i = 0; i < 10; ++i)
            takeOne(prefetcher, result);
        CHECK(prefetcher.next() == 10 && matches(result, length(42)));
    }
    CHECK(threadCount() == before);

    // Cancelled from another thread while the consumer is taking.
    {
        PathListPrefetcher prefetcher(paths);
        std::atomic<bool> started{false};
        std::thread canceller([&] {
            while (!started.load())
                std::this_thread::yield();
            prefetcher.cancel();
        });
        posix::SizeResult result;
        std::size_t taken = 0;
        bool allRight = true;
        while (takeOne(prefetcher, result) == SizePrefetcher::Take::Ready) {
            allRight = allRight && matches(result, length(42));
            ++taken;
            started.store(true);
        }
        canceller.join();
        CHECK(allRight && taken > 0);
        CHECK(threadCount() == before);
        CHECK(takeOneFor(prefetcher, result, std::chrono::milliseconds(1)) ==
              SizePrefetcher::Take::Ended);
        prefetcher.cancel(); // a second cancel is harmless
    }
}

} // namespace

// Stats that answer from memory keep to a few workers; once they wait (here the row's path
// takes a sleep to produce, as a slow disk would), the rest of the pool starts and joins in.
void testWorkersFollowTheWaiting()
{
    TempDir dir;
    makeFile(dir / "file", 7);
    const std::string path = dir / "file";
    const int before = threadCount();
    {
        PathListPrefetcher quick(std::vector<std::string>(20000, path), {12, 4096, 16, 2});
        CHECK(threadCount() == before + 2);
        std::vector<posix::SizeResult> block;
        std::size_t rows = 0;
        bool allRight = true;
        while (quick.takeSomeFor(block, 500, std::chrono::seconds(60)) ==
               SizePrefetcher::Take::Ready) {
            for (const posix::SizeResult& result : block)
                allRight = allRight && matches(result, length(7));
            rows += block.size();
        }
        CHECK(rows == 20000 && allRight);
    }
    CHECK(threadCount() == before);
    {
        std::atomic<int> mostAtOnce{0};
        std::atomic<int> now{0};
        SizePrefetcher slow(400,
                            [&](std::size_t) {
                                const int at = now.fetch_add(1) + 1;
                                int most = mostAtOnce.load();
                                while (at > most && !mostAtOnce.compare_exchange_weak(most, at)) {
                                }
                                std::this_thread::sleep_for(std::chrono::microseconds(200));
                                now.fetch_sub(1);
                                return std::string_view(path);
                            },
                            {12, 4096, 4, 2});
        posix::SizeResult result;
        std::size_t rows = 0;
        while (takeOne(slow, result) == SizePrefetcher::Take::Ready && matches(result, length(7)))
            ++rows;
        CHECK(rows == 400);
        CHECK_MSG(mostAtOnce.load() > 2,
                  "at most " + std::to_string(mostAtOnce.load()) + " rows were read at once");
        CHECK(threadCount() <= before + 12);
        slow.cancel();
        CHECK(threadCount() == before);
    }
}

// A reader that keeps the last folder open answers as the whole path would, row after row,
// whether the next row stays in that folder, goes to another or comes back; through links,
// "..", doubled and trailing separators, a folder that is a file and one that does not exist.
void testReaderAnswersAsTheWholePath()
{
    TempDir dir;
    makeFolder(dir / "one");
    makeFolder(dir / "two");
    makeFile(dir / "one/a", 10);
    makeFile(dir / "one/b", 20);
    makeFile(dir / "two/a", 30);
    makeFolder(dir / "one/inner");
    makeLink("two", dir / "via");
    makeLink("nowhere", dir / "gone");
    makeFolder(dir / "locked");
    makeFile(dir / "locked/secret", 8);
    ::chmod((dir / "locked").c_str(), 0111); // may be passed through, not listed
    makeFolder(dir / "shut");
    makeFile(dir / "shut/secret", 8);
    ::chmod((dir / "shut").c_str(), 0);

    std::vector<std::string> paths = {
        dir / "one/a",
        dir / "one/b",
        dir / "one/missing",
        dir / "one/inner",
        dir / "two/a",
        dir / "one/a",
        dir / "via/a",
        dir / "two/a",
        dir / "one/../two/a",
        dir / "one/inner/../b",
        dir / "one//a",
        dir / "one/inner/",
        dir / "one/.",
        dir / "one/inner/..",
        dir / "one/a/b",
        dir / "one/a/",
        dir / "gone/a",
        dir / "absent/a",
        dir / "locked/secret",
        dir / "locked/absent",
        dir / "shut/secret",
        dir / "shut/inner/secret",
        dir / "one/" + std::string(300, 'n'),
        dir / std::string(300, 'f') + "/a",
        dir.path() + std::string("/one/a\0b", 9),
        "/",
        "/tmp",
        "one/a",
        "",
        dir / "one/b",
    };
    // A file the kernel reaches from its folder but not by its whole path, which is too long.
    std::string deep = dir.path();
    while (deep.size() < 3900) {
        deep += "/" + std::string(40, 'd');
        makeFolder(deep);
    }
    const std::string tooLong = deep + "/" + std::string(250, 'z');
    const int deepFd = ::open(deep.c_str(), O_PATH | O_DIRECTORY);
    CHECK(deepFd >= 0 && tooLong.size() >= PATH_MAX);
    const int created = ::openat(deepFd, std::string(250, 'z').c_str(), O_CREAT | O_WRONLY, 0644);
    CHECK(created >= 0);
    ::close(created);
    paths.insert(paths.begin() + 2, tooLong);

    posix::SizeReader reader;
    for (const std::string& path : paths) {
        const posix::SizeResult whole = posix::sizeOf(path);
        const posix::SizeResult read = reader.of(path);
        CHECK_MSG(whole.kind == read.kind && whole.error == read.error && whole.size == read.size &&
                      whole.regular == read.regular,
                  printable(path) + ": " + describe(read) + ", the whole path: " + describe(whole));
    }
    CHECK(matches(reader.of(tooLong), failed(ENAMETOOLONG)));
    CHECK(matches(reader.of(dir / "via/a"), length(30)));
    CHECK(matches(reader.of(dir / "one/../one/b"), length(20)));
    // Removed here: the folder's clean-up goes by whole paths, and this one has none.
    ::unlinkat(deepFd, std::string(250, 'z').c_str(), 0);
    ::close(deepFd);
}

const std::vector<enginetest::TestCase>& sizePrefetcherTests()
{
    static const std::vector<enginetest::TestCase> tests = {
        {"prefetcher_workers_follow_the_waiting", testWorkersFollowTheWaiting},
        {"prefetcher_mixed_list", testMixedList},
        {"prefetcher_long_list", testLongList},
        {"prefetcher_timed_take_and_empty_list", testTimedTakeAndEmptyList},
        {"prefetcher_cancellation", testCancellation},
        {"prefetcher_reader_answers_as_the_whole_path", testReaderAnswersAsTheWholePath},
    };
    return tests;
}
