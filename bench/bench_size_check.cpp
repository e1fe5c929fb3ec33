// The size check in the real window (offscreen), beside a one-thread and a 16-thread stat()
// loop over the same paths in the same run. Medians of 5; the last line is key=value pairs.
//
//     bench_size_check [FILES] [--list FILE] [--cold]
//
// --list reads one path a line; without it FILES files (200000 by default) are made, 50 to a
// folder, in a temporary folder. --cold drops the page cache before every timed run (root only).

#include "bench_support.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <string_view>

namespace {

const char* const kUsage =
    "Usage: bench_size_check [FILES] [--list FILE] [--cold]\n"
    "Times Start Checking in the real window, offscreen, beside a 1-thread and a 16-thread\n"
    "stat() loop over the same paths; medians of 5.\n"
    "  FILES        files to generate, 50 to a folder, in a temporary tree (200000)\n"
    "  --list FILE  check the paths in FILE, one a line, instead of a generated tree\n"
    "  --cold       drop the page cache before every timed run (root only)\n"
    "The last line of the output is key=value pairs.\n";

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const bench::CacheDropper dropCaches(bench::flag(argc, argv, "--cold"));

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    RowList& files = form.fileList();

    QTemporaryDir tree;
    if (const char* list = bench::option(argc, argv, "--list")) {
        QFile file(QFile::decodeName(list));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", list);
            return 1;
        }
        while (!file.atEnd()) {
            QByteArray line = file.readLine();
            if (line.endsWith('\n')) line.chop(1);
            files.addUtf8(std::string_view(line.constData(), std::size_t(line.size())));
        }
    } else {
        const int count = bench::countArgument(argc, argv);
        std::vector<std::string> paths = bench::makeTree(tree.path(), count, 50);
        for (const std::string& path : paths)
            files.addUtf8(path);
    }
    app.processEvents();
    const int rows = files.count();
    std::vector<std::string_view> paths; // the list's own texts, NUL-terminated
    paths.reserve(std::size_t(rows));
    for (int row = 1; row <= rows; ++row)
        paths.push_back(files.textUtf8(row));
    std::printf("list: %d paths\n", rows);

    bool allDone = true;
    const auto check = [&] {
        form.resultsList().clear();
        test.dialogs.clearShown();
        app.processEvents();
        dropCaches();
        QElapsedTimer timer;
        timer.start();
        clickControl(form, "PushButton4");
        app.processEvents(); // the results reach the view
        const double elapsed = bench::seconds(timer);
        allDone = allDone && form.resultsList().count() == rows &&
                  test.dialogs.texts().last() == QStringLiteral("Done.");
        return elapsed;
    };

    if (!dropCaches.active()) { // warm every cache once before timing
        check();
        bench::timeStatLoop(paths, 1);
    }
    bench::resetPeakMemory();
    std::vector<double> checks, stat1, stat16;
    for (int round = 0; round < 5; ++round) {
        checks.push_back(check());
        dropCaches();
        stat1.push_back(bench::timeStatLoop(paths, 1));
        dropCaches();
        stat16.push_back(bench::timeStatLoop(paths, 16));
    }
    const double peak = bench::peakMemoryMiB();
    const double checkTime = bench::median(checks);
    const double stat1Time = bench::median(stat1);
    const double stat16Time = bench::median(stat16);

    std::printf("%s, %d rows, medians of 5:\n", dropCaches.active() ? "cold" : "warm", rows);
    std::printf("  size check            %.3f s\n", checkTime);
    std::printf("  stat() loop, 1 thread  %.3f s   check/stat1 = %.2f\n", stat1Time,
                checkTime / stat1Time);
    std::printf("  stat() loop, 16 threads %.3f s   check/stat16 = %.2f\n", stat16Time,
                checkTime / stat16Time);
    std::printf("  peak memory           %.0f MiB (both lists holding %d rows)\n", peak, rows);
    std::printf("  outcome               %s\n", allDone ? "every row sized, \"Done.\"" : "WRONG");
    std::printf("rows=%d cold=%d check_seconds=%f stat1_seconds=%f stat16_seconds=%f "
                "check_over_stat1=%f check_over_stat16=%f peak_mib=%.0f\n",
                rows, dropCaches.active() ? 1 : 0, checkTime, stat1Time, stat16Time,
                checkTime / stat1Time, checkTime / stat16Time, peak);
    return allDone ? 0 : 1;
}
