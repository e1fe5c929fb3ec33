#include "engine/directory_walker.h"
#include "engine_helpers.h"
#include "engine_test_support.h"
#include "posix/file_queries.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace enginetest;
using engine::DirectoryWalker;
using engine::FolderListing;

namespace {

using Identity = std::pair<dev_t, ino_t>;

// `count` numbered folders under dir, each filled with the files fill(folder, i) makes; their
// paths, each ending in the separator.
std::vector<std::string> makeFolders(const TempDir& dir, int count,
                                     const std::function<void(const std::string&, int)>& fill)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(dir / numbered("d", std::size_t(i)) + "/");
        makeFolder(paths.back());
        fill(paths.back(), i);
    }
    return paths;
}

// The attribute value by the program's one rule (held to hand-written values by the folder
// scan's tests).
int attributeValue(const std::string& name, bool isLink, mode_t mode, bool writable)
{
    return posix::attributeValue(name, isLink ? S_IFLNK : mode, mode, writable);
}

// One folder's scan-relevant facts, one line per entry, so two walks compare as texts.
struct FolderFacts
{
    std::string text;
    std::vector<std::pair<std::string, Identity>> subFolders; // in directory order
};

// The reference: every entry of every folder is stat-ed, links followed, with no shortcut.
FolderFacts referenceFacts(const std::string& folder)
{
    FolderFacts facts;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        facts.text = "cannot open: " + std::to_string(errno) + "\n";
        return facts;
    }
    while (const dirent* found = ::readdir(dir)) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        std::string line = printable(name) + " type=" + std::to_string(found->d_type);
        struct stat own = {};
        struct stat target = {};
        const bool isLink = ::lstat(path.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        if (::stat(path.c_str(), &target) != 0) {
            line += " missing=" + std::to_string(errno);
        } else if (S_ISDIR(target.st_mode)) {
            line += " folder";
            facts.subFolders.push_back({name, {target.st_dev, target.st_ino}});
        } else {
            line += " file";
        }
        if (name[0] == '.' && ::stat(path.c_str(), &target) == 0) {
            const bool writable = posix::isWritable(AT_FDCWD, path.c_str(), target.st_mode);
            line +=
                " value=" + std::to_string(attributeValue(name, isLink, target.st_mode, writable));
        }
        facts.text += line + "\n";
    }
    ::closedir(dir);
    return facts;
}

// The same facts read only from what the walker delivered.
FolderFacts walkerFacts(const FolderListing& listing)
{
    FolderFacts facts;
    if (listing.openError != 0) {
        facts.text = "cannot open: " + std::to_string(listing.openError) + "\n";
        return facts;
    }
    for (const engine::DirEntry& entry : listing.entries) {
        std::string line = printable(entry.name) + " type=" + std::to_string(entry.type);
        if (entry.isFolder()) {
            line += " folder";
            facts.subFolders.push_back({entry.name, {entry.info->device, entry.info->inode}});
        } else if (entry.existsAsNonFolder()) {
            line += " file";
        } else {
            line += " missing=" + std::to_string(entry.info ? entry.info->error : -1);
        }
        if (entry.name[0] == '.' && entry.info && entry.info->error == 0)
            line +=
                " value=" + std::to_string(attributeValue(entry.name, entry.info->isLink,
                                                          entry.info->mode, entry.info->writable));
        facts.text += line + "\n";
    }
    return facts;
}

// Breadth first, each folder once per device and inode, as the folder scan collects them.
std::vector<std::string> referenceWalk(const std::string& root)
{
    std::vector<std::string> walk;
    std::set<Identity> seen;
    std::deque<std::string> queue{root};
    while (!queue.empty()) {
        const std::string folder = queue.front();
        queue.pop_front();
        struct stat self = {};
        if (::stat(folder.c_str(), &self) == 0) seen.insert({self.st_dev, self.st_ino});
        FolderFacts facts = referenceFacts(folder);
        walk.push_back(printable(folder) + "\n" + facts.text);
        for (const auto& [name, identity] : facts.subFolders)
            if (seen.insert(identity).second) queue.push_back(folder + name + "/");
    }
    return walk;
}

// The same walk on the walker. Through parents, each sub-folder is submitted with a handle on
// its parent, which is closed at once: the walker must keep a copy of its own.
std::vector<std::string> walkerWalk(const std::string& root, DirectoryWalker::Options options,
                                    bool throughParents = false)
{
    std::vector<std::string> walk;
    std::set<Identity> seen;
    DirectoryWalker walker(options);
    walker.submit(root);
    FolderListing listing;
    while (takeOne(walker, listing) == DirectoryWalker::Take::Ready) {
        if (listing.openError == 0) seen.insert({listing.device, listing.inode});
        FolderFacts facts = walkerFacts(listing);
        walk.push_back(printable(listing.path) + "\n" + facts.text);
        const int parent =
            throughParents ? ::open(listing.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC) : -1;
        for (const auto& [name, identity] : facts.subFolders)
            if (seen.insert(identity).second) walker.submit(listing.path + name + "/", parent);
        if (parent >= 0) ::close(parent);
    }
    return walk;
}

// Descriptors this process holds open now.
int openDescriptors()
{
    int count = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(fds))
            count += entry->d_name[0] != '.';
        ::closedir(fds);
    }
    return count - 1; // the one reading them
}

void compareWalks(const std::vector<std::string>& expected, const std::vector<std::string>& got,
                  const char* what)
{
    CHECK_MSG(expected.size() == got.size(), std::string(what) + ": folder count " +
                                                 std::to_string(got.size()) + " instead of " +
                                                 std::to_string(expected.size()));
    const std::size_t both = std::min(expected.size(), got.size());
    std::size_t firstDifference = both;
    for (std::size_t i = 0; i < both && firstDifference == both; ++i)
        if (expected[i] != got[i]) firstDifference = i;
    CHECK_MSG(firstDifference == both,
              std::string(what) + ": folder " + std::to_string(firstDifference) +
                  " differs\nexpected:\n" +
                  (firstDifference < both ? expected[firstDifference] : "") + "got:\n" +
                  (firstDifference < both ? got[firstDifference] : ""));
}

// Dot-files of each attribute value, "~" names, links to files and folders, a link loop, a
// dangling link, names with newline, backslash and bytes that are not UTF-8, a FIFO, an
// unreadable folder and a readable but unsearchable one, and three levels with fan-out.
void buildHostileTree(const TempDir& dir)
{
    const std::string root = dir.path() + "/";
    makeFile(root + "plain.txt", 10);
    makeFile(root + ".writable", 1);         // value 34: hidden and archive only
    makeFile(root + ".readonly", 1, 0444);   // 35
    makeLink("plain.txt", root + ".linked"); // 1058 through the link
    makeFolder(root + ".dotfolder");         // 18
    makeFile(root + "~lock.txt", 3);
    makeFile(root + "new\nline.txt", 4);
    makeFile(root + "back\\slash.txt", 5);
    makeFile(root + "bad\xff\xfe.txt", 6);
    makeFolder(root + "bad\xff"
                      "folder");
    makeFile(root + "bad\xff"
                    "folder/inside.txt",
             7);
    makeLink("plain.txt", root + "to-file");
    makeLink("level1-0", root + "to-folder");
    makeLink(".", root + "loop-to-self");
    makeLink("cycle-b", root + "cycle-a");
    makeLink("cycle-a", root + "cycle-b");
    makeLink("nowhere", root + "dangling");
    makeFifo(root + "pipe");
    makeFolder(root + "locked");
    makeFile(root + "locked/secret.txt", 8);
    ::chmod((root + "locked").c_str(), 0);
    makeFolder(root + "unsearchable");
    makeFile(root + "unsearchable/hidden-away.txt", 9);
    makeFolder(root + "unsearchable/deeper");
    ::chmod((root + "unsearchable").c_str(), 0444);
    for (int a = 0; a < 3; ++a) {
        const std::string one = root + "level1-" + std::to_string(a);
        makeFolder(one);
        makeFile(one + "/a" + std::to_string(a) + ".dat", std::size_t(a));
        makeLink("..", one + "/up");
        for (int b = 0; b < 4; ++b) {
            const std::string two = one + "/level2-" + std::to_string(b);
            makeFolder(two);
            makeFile(two + "/.writable", 1);
            for (int c = 0; c < 5; ++c) {
                const std::string three = two + "/level3-" + std::to_string(c);
                makeFolder(three);
                for (int f = 0; f < 6; ++f)
                    makeFile(three + "/f" + std::to_string(f) + ".txt", std::size_t(f));
            }
        }
    }
}

void testHostileTree()
{
    TempDir dir;
    buildHostileTree(dir);
    const std::string root = dir.path() + "/";
    const std::vector<std::string> reference = referenceWalk(root);
    CHECK(reference.size() > 3 + 12 + 60);

    compareWalks(reference, walkerWalk(root, {}), "default pool");
    compareWalks(reference, walkerWalk(root, {1, 1}), "one thread, no lookahead");
    compareWalks(reference, walkerWalk(root, {16, 3}), "16 threads, short lookahead");

    // The reference's own texts prove the tree holds what it is meant to.
    const std::string& top = reference.front();
    CHECK(top.find(".writable type=8 file value=34") != std::string::npos);
    CHECK(top.find(".readonly type=8 file value=35") != std::string::npos);
    CHECK(top.find(".linked type=10 file value=1058") != std::string::npos);
    CHECK(top.find(".dotfolder type=4 folder value=18") != std::string::npos);
    CHECK(top.find("cycle-a type=10 missing=40") != std::string::npos);
    CHECK(top.find("pipe type=1 file") != std::string::npos);
}

void testListingDetails()
{
    TempDir dir;
    buildHostileTree(dir);
    const FolderListing top = engine::readFolder(dir.path() + "/");
    CHECK(top.openError == 0 && top.readError == 0 && top.searchable);
    struct stat self = {};
    ::stat(dir.path().c_str(), &self);
    CHECK(top.device == self.st_dev && top.inode == self.st_ino);
    CHECK(!top.inProcessFiles && engine::readFolder("/proc/self/").inProcessFiles);

    // A regular file by d_type costs no stat; folders, links and dot-names carry one.
    int plainWithInfo = 0;
    int othersWithout = 0;
    for (const engine::DirEntry& entry : top.entries) {
        const bool plain = entry.type == DT_REG && entry.name[0] != '.';
        if (plain && entry.info) ++plainWithInfo;
        if (!plain && entry.type != DT_FIFO && !entry.info) ++othersWithout;
    }
    CHECK(plainWithInfo == 0);
    CHECK(othersWithout == 0);

    // A FIFO is listed from its directory entry and never opened, even as a folder.
    const auto pipe = std::find_if(top.entries.begin(), top.entries.end(),
                                   [](const auto& entry) { return entry.name == "pipe"; });
    CHECK(pipe != top.entries.end() && pipe->existsAsNonFolder() && !pipe->info);
    CHECK(engine::readFolder(dir / "pipe").openError == ENOTDIR);
    CHECK(engine::readFolder(dir / "absent/").openError == ENOENT);
    CHECK(engine::readFolder(dir / "plain.txt/").openError == ENOTDIR);

    const auto loop = std::find_if(top.entries.begin(), top.entries.end(),
                                   [](const auto& entry) { return entry.name == "loop-to-self"; });
    CHECK(loop != top.entries.end() && loop->isFolder() && loop->info->isLink &&
          loop->info->inode == self.st_ino);

    if (!permissionsApply()) {
        std::printf("skipped: unreadable and unsearchable folders (running as root, where "
                    "permissions do not block)\n");
        return;
    }
    CHECK(engine::readFolder(dir / "locked/").openError == EACCES);
    const FolderListing unsearchable = engine::readFolder(dir / "unsearchable/");
    CHECK(unsearchable.openError == 0 && !unsearchable.searchable);
    CHECK(unsearchable.entries.size() == 2);
    for (const engine::DirEntry& entry : unsearchable.entries)
        CHECK(entry.info && entry.info->error == EACCES && !entry.isFolder() &&
              !entry.existsAsNonFolder());
}

// Folders opened through a handle on their parent read as they do by their paths, and the
// walker's copies of the handles are closed, bounded in number, whatever becomes of the walk.
void testThroughParentHandles()
{
    TempDir dir;
    buildHostileTree(dir);
    const std::string root = dir.path() + "/";
    const std::vector<std::string> reference = referenceWalk(root);
    const int before = openDescriptors();
    compareWalks(reference, walkerWalk(root, {}, true), "through parents, default pool");
    compareWalks(reference, walkerWalk(root, {16, 3, 2}, true), "through parents, two handles");
    compareWalks(reference, walkerWalk(root, {1, 1, 0}, true), "through parents, no handles");
    CHECK(openDescriptors() == before);

    // A handle on another folder is the walker's way in: the name is taken from the path.
    const int elsewhere = ::open((dir / "level1-1").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const FolderListing relative =
        engine::readFolder(dir / "level1-0/level2-3/", nullptr, elsewhere);
    struct stat reached = {};
    ::stat((dir / "level1-1/level2-3").c_str(), &reached);
    CHECK(relative.openError == 0 && relative.inode == reached.st_ino &&
          relative.path == dir / "level1-0/level2-3/");
    CHECK(engine::readFolder("/", nullptr, elsewhere).entries.size() ==
          engine::readFolder("/").entries.size());
    ::close(elsewhere);

    // Queued with handles and dropped unread: no more copies than allowed, none left behind.
    for (const bool cancelled : {false, true}) {
        const int parent = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        {
            DirectoryWalker walker({2, 1, 5});
            for (int round = 0; round < 40; ++round)
                for (int a = 0; a < 3; ++a)
                    walker.submit(root + "level1-" + std::to_string(a) + "/", parent);
            CHECK(openDescriptors() <= before + 1 + 5 + 2);
            FolderListing listing;
            CHECK(takeOne(walker, listing) == DirectoryWalker::Take::Ready &&
                  listing.entries.size() == 6);
            if (cancelled) {
                walker.cancel();
                // The queued folders go with the cancel, handles and all, not with the walker.
                CHECK(openDescriptors() == before + 1);
            }
        }
        ::close(parent);
        CHECK(openDescriptors() == before);
    }
}

// Many folders, each with its own names, submitted at once and interleaved with takes.
void testOrderOverManyFolders()
{
    TempDir dir;
    const std::vector<std::string> paths =
        makeFolders(dir, 300, [](const std::string& path, int i) {
            for (int f = 0; f < i % 7; ++f)
                makeFile(path + "f" + std::to_string(i) + "-" + std::to_string(f), 0);
        });
    std::vector<std::vector<std::string>> expected;
    for (const std::string& path : paths) {
        expected.emplace_back();
        for (const engine::DirEntry& entry : engine::readFolder(path).entries)
            expected.back().push_back(entry.name);
    }

    for (const DirectoryWalker::Options options :
         {DirectoryWalker::Options{16, 2}, DirectoryWalker::Options{16, 1000},
          DirectoryWalker::Options{3, 17}}) {
        DirectoryWalker walker(options);
        std::size_t submitted = 0;
        std::size_t taken = 0;
        int wrongPath = 0;
        int wrongNames = 0;
        FolderListing listing;
        while (taken < paths.size()) {
            // Submit in uneven bursts so the pool sees both a long queue and a short one.
            for (std::size_t burst = 0; burst < taken % 5 + 1 && submitted < paths.size(); ++burst)
                walker.submit(paths[submitted++]);
            if (takeOne(walker, listing) != DirectoryWalker::Take::Ready) break;
            std::vector<std::string> names;
            for (const engine::DirEntry& entry : listing.entries)
                names.push_back(entry.name);
            if (listing.path != paths[taken]) ++wrongPath;
            if (names != expected[taken]) ++wrongNames;
            ++taken;
        }
        CHECK(taken == paths.size());
        CHECK(wrongPath == 0 && wrongNames == 0);
        CHECK(takeOne(walker, listing) == DirectoryWalker::Take::Ended);
    }
}

void testTimedTake()
{
    TempDir dir;
    DirectoryWalker walker;
    FolderListing listing;
    CHECK(walker.takeFor(listing, std::chrono::milliseconds(1)) == DirectoryWalker::Take::Ended);
    makeFile(dir / "only.txt", 1);
    walker.submit(dir.path());
    walker.submit(dir / "absent");
    // The way a window keeps painting: short waits until the listing is there.
    DirectoryWalker::Take result;
    while ((result = walker.takeFor(listing, std::chrono::milliseconds(1))) ==
           DirectoryWalker::Take::TimedOut) {
    }
    CHECK(result == DirectoryWalker::Take::Ready && listing.path == dir.path() &&
          listing.entries.size() == 1 && listing.entries[0].name == "only.txt");
    CHECK(takeOne(walker, listing) == DirectoryWalker::Take::Ready && listing.openError == ENOENT &&
          listing.entries.empty());
    // Both submitted folders, and nothing else, were waiting.
    CHECK(walker.takeFor(listing, std::chrono::milliseconds(1)) == DirectoryWalker::Take::Ended);
}

void testCancellation()
{
    TempDir dir;
    const std::vector<std::string> paths = makeFolders(dir, 60, [](const std::string& path, int) {
        for (int f = 0; f < 150; ++f)
            makeFile(path + std::to_string(f), 0);
    });
    const int before = threadCount();

    // Destroyed with most folders still queued or being read.
    {
        DirectoryWalker walker({16, 64});
        CHECK(threadCount() > before && threadCount() <= before + 16);
        for (const std::string& path : paths)
            walker.submit(path);
        FolderListing listing;
        CHECK(takeOne(walker, listing) == DirectoryWalker::Take::Ready && listing.path == paths[0]);
    }
    CHECK(threadCount() == before);

    // Cancelled from another thread while the consumer is taking.
    {
        DirectoryWalker walker({8, 8});
        for (int round = 0; round < 100; ++round)
            for (const std::string& path : paths)
                walker.submit(path);
        std::atomic<bool> started{false};
        std::thread canceller([&] {
            while (!started.load())
                std::this_thread::yield();
            walker.cancel();
        });
        FolderListing listing;
        std::size_t taken = 0;
        bool inOrder = true;
        while (takeOne(walker, listing) == DirectoryWalker::Take::Ready) {
            inOrder = inOrder && listing.path == paths[taken % paths.size()];
            ++taken;
            started.store(true);
        }
        canceller.join();
        CHECK(inOrder);
        CHECK(taken < 100 * paths.size());
        CHECK(threadCount() == before);
        walker.submit(paths[0]); // ignored once cancelled
        CHECK(takeOne(walker, listing) == DirectoryWalker::Take::Ended);
        walker.cancel(); // a second cancel is harmless
    }
}

void testThreadsFollowTheWaiting()
{
    TempDir dir;
    const std::vector<std::string> paths =
        makeFolders(dir, 200, [](const std::string& path, int) { makeFile(path + "f", 0); });
    const auto readAll = [&](DirectoryWalker& walker) {
        for (const std::string& path : paths)
            walker.submit(path);
        FolderListing listing;
        std::size_t taken = 0;
        while (takeOne(walker, listing) == DirectoryWalker::Take::Ready &&
               listing.path == paths[taken] && listing.entries.size() == 1)
            ++taken;
        return taken;
    };
    const int before = threadCount();

    // The walker starts with the few threads only. (That quick reads then call in no more
    // cannot be pinned here: a sanitizer's own locks put a thread to sleep now and then, as a
    // disk does.)
    {
        DirectoryWalker quick({12, 512, 128, 2});
        CHECK(threadCount() == before + 2);
        CHECK(readAll(quick) == paths.size());
    }

    // Reads that sleep, as on a disk: every thread joins in.
    {
        std::atomic<int> now{0};
        std::atomic<int> mostAtOnce{0};
        DirectoryWalker slow({12, 512, 128, 2}, [&](const std::string& folder,
                                                    const std::atomic<bool>* stop, int parentFd) {
            const int at = now.fetch_add(1) + 1;
            int most = mostAtOnce.load();
            while (at > most && !mostAtOnce.compare_exchange_weak(most, at)) {
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            now.fetch_sub(1);
            return engine::readFolder(folder, stop, parentFd);
        });
        CHECK(readAll(slow) == paths.size());
        CHECK(threadCount() == before + 12);
        CHECK_MSG(mostAtOnce.load() > 2,
                  "at most " + std::to_string(mostAtOnce.load()) + " folders were read at once");
    }
    CHECK(threadCount() == before);
}

} // namespace

const std::vector<enginetest::TestCase>& directoryWalkerTests()
{
    static const std::vector<enginetest::TestCase> tests = {
        {"walker_hostile_tree", testHostileTree},
        {"walker_listing_details", testListingDetails},
        {"walker_through_parent_handles", testThroughParentHandles},
        {"walker_order_over_many_folders", testOrderOverManyFolders},
        {"walker_timed_take", testTimedTake},
        {"walker_cancellation", testCancellation},
        {"walker_threads_follow_the_waiting", testThreadsFollowTheWaiting},
    };
    return tests;
}
