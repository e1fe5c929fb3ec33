// The folder scan of a generated tree into the real window's file list, against
// `find DIR -type f -printf '%s %p\n'` over the same tree in the same run.
//
//     bench_folder_scan [files]     (200000 by default; 1000000 on request)

#include "bench_support.h"

#include "doubles/test_platform.h"
#include "platform/event_pump.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeFind(const QString& root)
{
    const std::string command = "find '" + QFile::encodeName(root).toStdString() +
                                "' -type f -printf '%s %p\\n' > /dev/null";
    QElapsedTimer timer;
    timer.start();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "find failed\n");
    return bench::seconds(timer);
}

} // namespace

int main(int argc, char** argv)
{
    const int files = bench::fileCount(argc, argv);
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir treeDir;
    const QString root = treeDir.filePath(QStringLiteral("tree"));
    QElapsedTimer making;
    making.start();
    bench::makeTree(root, files);
    std::printf("tree: %d files under %s, made in %.1f s\n", files, qPrintable(root),
                bench::seconds(making));

    TestPlatform test;
    QtEventPump pump;
    Platform platform{test.dialogs,      test.settings, test.shell,  test.clipboard,
                      *test.spreadsheet, pump,          test.random, test.programFolder()};
    Form1 form(platform);
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    const auto scan = [&] {
        form.fileList().clear();
        QCoreApplication::processEvents();
        test.dialogs.answerInput(QStringLiteral("*"));
        test.dialogs.answerFolder(root);
        QElapsedTimer timer;
        timer.start();
        form.PushButton10_Click();
        QCoreApplication::processEvents(); // the rows reach the view
        const double elapsed = bench::seconds(timer);
        if (form.fileList().count() != files)
            std::fprintf(stderr, "scan found %d rows, expected %d\n", form.fileList().count(),
                         files);
        return elapsed;
    };

    timeFind(root); // warm the caches for both
    scan();
    std::vector<double> findTimes, scanTimes;
    for (int round = 0; round < 5; ++round) {
        findTimes.push_back(timeFind(root));
        scanTimes.push_back(scan());
    }
    const double findTime = median(findTimes);
    const double scanTime = median(scanTimes);
    std::printf("find -printf '%%s %%p':  %.3f s (median of 5)\n", findTime);
    std::printf("folder scan into list: %.3f s (median of 5), %.0f files/s\n", scanTime,
                files / scanTime);
    std::printf("ratio scan/find: %.2f (target <= 1.5)\n", scanTime / findTime);
    std::printf("peak memory: %.0f MiB\n", bench::peakMemoryMiB());
    return 0;
}
