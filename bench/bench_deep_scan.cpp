// The folder scan of deep chains of folders (one folder inside the next, a file in each),
// into the real window's file list, beside `find -printf '%s %p\n'` over the same chain in
// the same run. Time that grows faster than the depth shows in the ratios. Medians of the
// rounds; the last line is key=value pairs.
//
//     bench_deep_scan [--depths 250,500,1000,2000] [--rounds 3]

#include "bench_support.h"
#include "support/form_controls.h"

#include "doubles/test_platform.h"
#include "platform/event_pump.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cerrno>
#include <ftw.h>
#include <map>
#include <sys/stat.h>

namespace {

const char* const kUsage =
    "Usage: bench_deep_scan [--depths 250,500,1000,2000] [--rounds 3]\n"
    "  Scans chains of folders DEPTH levels deep (one file in each) with the folder\n"
    "  scan and with find, warm, and prints the medians and their ratios. The last\n"
    "  line holds key=value pairs.\n";

// root/d/d/.../d, `depth` folders below root, each holding the file "f". Made through open
// folders, so making it costs no more than the depth.
bool makeChain(const std::string& root, int depth)
{
    if (::mkdir(root.c_str(), 0755) != 0) return false;
    int at = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; at >= 0; ++level) {
        const int file = ::openat(at, "f", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (file < 0) break;
        ::close(file);
        if (level == depth) {
            ::close(at);
            return true;
        }
        if (::mkdirat(at, "d", 0755) != 0) break;
        const int next = ::openat(at, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        at = next;
    }
    if (at >= 0) ::close(at);
    return false;
}

void removeChain(const std::string& root)
{
    ::nftw(
        root.c_str(),
        [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 64,
        FTW_DEPTH | FTW_PHYS);
}

std::vector<int> depthsArgument(int argc, char** argv)
{
    std::vector<int> depths;
    const QString given = QString::fromLocal8Bit(bench::option(argc, argv, "--depths")
                                                     ? bench::option(argc, argv, "--depths")
                                                     : "250,500,1000,2000");
    for (const QString& part : given.split(u',', Qt::SkipEmptyParts))
        if (part.toInt() > 0) depths.push_back(part.toInt());
    return depths;
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const std::vector<int> depths = depthsArgument(argc, argv);
    const char* roundsGiven = bench::option(argc, argv, "--rounds");
    const int rounds = std::max(1, roundsGiven ? std::atoi(roundsGiven) : 3);

    TestPlatform test;
    QtEventPump pump;
    Platform platform{test.dialogs,        test.settings,     test.shell, test.fileManager,
                      test.clipboard,      *test.spreadsheet, pump,       test.random,
                      test.programFolder()};
    Form1 form(platform);
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    QTemporaryDir treeDir;
    std::string keys;
    std::printf("warm, medians of %d:\n", rounds);
    std::printf("  %6s  %10s  %10s  %10s\n", "depth", "scan s", "find s", "scan/find");
    for (const int depth : depths) {
        const std::string root =
            QFile::encodeName(treeDir.filePath(QStringLiteral("chain%1").arg(depth))).toStdString();
        if (!makeChain(root, depth)) {
            std::fprintf(stderr, "cannot make a chain %d deep under %s: %s\n", depth, root.c_str(),
                         std::strerror(errno));
            return 2;
        }
        const std::string find = "find " + bench::quoted(root) + " -printf '%s %p\\n'";
        bench::timeCommand(find); // warms the caches
        std::vector<double> scans, finds;
        int rows = 0;
        for (int round = 0; round < rounds; ++round) {
            form.fileList().clear();
            QCoreApplication::processEvents();
            test.dialogs.answerInput(QStringLiteral("*"));
            test.dialogs.answerFolder(QFile::decodeName(root.c_str()));
            QElapsedTimer timer;
            timer.start();
            clickControl(form, "PushButton10");
            QCoreApplication::processEvents(); // the rows reach the view
            scans.push_back(bench::seconds(timer));
            rows = form.fileList().count();
            finds.push_back(bench::timeCommand(find));
        }
        if (rows != depth + 1)
            std::fprintf(stderr, "depth %d: the scan found %d rows, expected %d\n", depth, rows,
                         depth + 1);
        const double scan = bench::median(scans), found = bench::median(finds);
        std::printf("  %6d  %10.3f  %10.3f  %10.1f\n", depth, scan, found, scan / found);
        std::fflush(stdout);
        const std::string key = "depth" + std::to_string(depth);
        keys += key + "_rows=" + std::to_string(rows) + " " + key +
                "_scan_seconds=" + std::to_string(scan) + " " + key +
                "_find_seconds=" + std::to_string(found) + " " + key +
                "_scan_over_find=" + std::to_string(scan / found) + " ";
        removeChain(root);
    }
    std::printf("rounds=%d %speak_mib=%.0f\n", rounds, keys.c_str(), bench::peakMemoryMiB());
    return 0;
}
