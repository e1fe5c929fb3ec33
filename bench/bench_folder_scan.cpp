// The folder scan into the real window's file list, beside other programs that walk the same
// tree in the same run: `find -type f -printf '%s %p\n'`, `du -ab`, and gdu and fd where
// installed. Medians of 5; the last line is key=value pairs.
//
//     bench_folder_scan [FILES] [--tree DIR] [--cold]
//
// Without --tree it makes FILES files (200000 by default), 50 to a folder, in a temporary
// folder. --cold drops the page cache before every timed run (root only).

#include "bench_support.h"
#include "support/form_controls.h"

#include "doubles/test_platform.h"
#include "platform/event_pump.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <functional>
#include <map>

namespace {

const char* const kUsage =
    "Usage: bench_folder_scan [FILES] [--tree DIR] [--cold]\n"
    "Times the folder scan (Add All Files In Folder) into the real window, offscreen, beside\n"
    "find -printf, du -ab, and gdu and fdfind where installed, over the same tree; medians of 5.\n"
    "  FILES       files to generate, 50 to a folder, in a temporary tree (200000)\n"
    "  --tree DIR  scan DIR instead of a generated tree\n"
    "  --cold      drop the page cache before every timed run (root only)\n"
    "The last line of the output is key=value pairs.\n";

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const bench::CacheDropper dropCaches(bench::flag(argc, argv, "--cold"));

    QTemporaryDir treeDir;
    QString root;
    int expected = -1;
    if (const char* tree = bench::option(argc, argv, "--tree")) {
        root = QFile::decodeName(tree);
    } else {
        expected = bench::countArgument(argc, argv);
        root = treeDir.filePath(QStringLiteral("tree"));
        QElapsedTimer making;
        making.start();
        bench::makeTree(root, expected, 50);
        std::printf("tree: %d files in %d folders under %s, made in %.1f s\n", expected,
                    (expected + 49) / 50, qPrintable(root), bench::seconds(making));
    }
    const std::string nativeRoot = bench::quoted(QFile::encodeName(root).toStdString());

    TestPlatform test;
    QtEventPump pump;
    Platform platform{test.dialogs,        test.settings,     test.shell, test.fileManager,
                      test.clipboard,      *test.spreadsheet, pump,       test.random,
                      test.programFolder()};
    Form1 form(platform);
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    int rows = 0;
    const auto scan = [&] {
        form.fileList().clear();
        QCoreApplication::processEvents();
        test.dialogs.answerInput(QStringLiteral("*"));
        test.dialogs.answerFolder(root);
        dropCaches();
        QElapsedTimer timer;
        timer.start();
        clickControl(form, "PushButton10");
        QCoreApplication::processEvents(); // the rows reach the view
        const double elapsed = bench::seconds(timer);
        rows = form.fileList().count();
        if (expected >= 0 && rows != expected)
            std::fprintf(stderr, "scan found %d rows, expected %d\n", rows, expected);
        return elapsed;
    };

    // Each anchor by its key, in the order they run.
    std::vector<std::pair<std::string, std::string>> anchors{
        {"find", "find " + nativeRoot + " -type f -printf '%s %p\\n'"},
        {"du", "du -ab " + nativeRoot},
    };
    if (bench::installed("gdu")) anchors.push_back({"gdu", "gdu -n " + nativeRoot});
    if (bench::installed("fdfind"))
        anchors.push_back({"fdfind", "fdfind -HI -t f . " + nativeRoot});

    if (!dropCaches.active()) { // warm every cache once before timing
        scan();
        for (const auto& [key, command] : anchors)
            bench::timeCommand(command);
    }
    bench::resetPeakMemory();
    std::map<std::string, std::vector<double>> times;
    for (int round = 0; round < 5; ++round) {
        times["scan"].push_back(scan());
        for (const auto& [key, command] : anchors) {
            dropCaches();
            times[key].push_back(bench::timeCommand(command));
        }
    }
    const double peak = bench::peakMemoryMiB();

    const double scanTime = bench::median(times["scan"]);
    std::printf("%s, %d rows, medians of 5:\n", dropCaches.active() ? "cold" : "warm", rows);
    std::printf("  folder scan into list  %.3f s\n", scanTime);
    std::string keys = "scan_seconds=" + std::to_string(scanTime);
    std::string ratios;
    for (const auto& [key, command] : anchors) {
        const double anchor = bench::median(times[key]);
        std::printf("  %-22s %.3f s   scan/%s = %.2f\n", key.c_str(), anchor, key.c_str(),
                    scanTime / anchor);
        keys += " " + key + "_seconds=" + std::to_string(anchor);
        ratios += " scan_over_" + key + "=" + std::to_string(scanTime / anchor);
    }
    std::printf("  peak memory            %.0f MiB\n", peak);
    std::printf("rows=%d cold=%d %s%s peak_mib=%.0f\n", rows, dropCaches.active() ? 1 : 0,
                keys.c_str(), ratios.c_str(), peak);
    return 0;
}
