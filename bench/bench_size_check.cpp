// The size check over N generated files in the real window (offscreen), against a bare
// stat() loop over the same paths in the same run.
//
//     build/bench/bench_size_check [FILES]     (default 200000)

#include "bench_support.h"
#include "doubles/test_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    const bench::OffscreenSession session;
    QApplication app(argc, argv);
    const int files = bench::fileCount(argc, argv);

    QTemporaryDir tree;
    std::vector<std::string> paths = bench::makeTree(tree.path(), files);

    // Anchor: a bare stat() loop (best of three, so the tree is warm in the cache).
    double statLoop = 1e9;
    long long total = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const std::string& path : paths) {
            struct stat info
            {
            };
            if (::stat(path.c_str(), &info) == 0) total += info.st_size;
        }
        statLoop = std::min(statLoop, bench::seconds(timer));
    }

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    for (const std::string& path : paths)
        form.fileList().addUtf8(path);
    std::vector<std::string>().swap(paths);
    app.processEvents();
    bench::resetPeakMemory();

    QElapsedTimer timer;
    timer.start();
    form.PushButton4_Click();
    const double check = bench::seconds(timer);
    timer.start();
    app.processEvents(); // the results reach the view
    const double publish = bench::seconds(timer);

    const bool allDone = test.dialogs.texts() == QStringList{QStringLiteral("Done.")} &&
                         form.resultsList().count() == files;
    std::printf("files                %d (%lld bytes in all)\n", files, total);
    std::printf("bare stat() loop     %.3f s\n", statLoop);
    std::printf("size check           %.3f s  (%.2f x the stat loop)\n", check, check / statLoop);
    std::printf("results reach view   %.3f s\n", publish);
    std::printf("peak memory          %.0f MiB (both lists holding %d rows)\n",
                bench::peakMemoryMiB(), files);
    std::printf("outcome              %s\n", allDone ? "every row sized, \"Done.\"" : "WRONG");
    return allDone ? 0 : 1;
}
