// What the progress line costs each long command: the folder scan, the list file's load, the
// size check, the text export and the copy, each timed in the real window (offscreen) with the
// line and the taskbar entry following the work and without, in turns. Medians of 5; the last
// line is key=value pairs, one ratio (with / without) per command.
//
//     bench_progress_line [FILES] [--rows 2000000] [--rounds 5]

#include "bench_support.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "ui/form1.h"
#include "ui/progress_line.h"

#include <QApplication>
#include <QFile>
#include <functional>

namespace {

const char* const kUsage =
    "Usage: bench_progress_line [FILES] [--rows 2000000] [--rounds 5]\n"
    "Times the folder scan of a tree of FILES files (200000), then the load of a list of ROWS\n"
    "of its paths, Start Checking, Save Results As Text File and Copy Results To Clipboard on\n"
    "those rows, in the real window, offscreen, with the progress line following the work\n"
    "and without, in turns.\n"
    "The last line of the output is key=value pairs: each command's ratio, with / without.\n";

struct Timing
{
    double with = 0;
    double without = 0;
    double ratio() const { return without > 0 ? with / without : 0; }
};

// Times `run` `rounds` times each way, alternating, after `prepare` (untimed) every time.
Timing timeBothWays(ProgressLine& line, int rounds, const std::function<void()>& prepare,
                    const std::function<void()>& run)
{
    std::vector<double> with, without;
    for (int round = 0; round < 2 * rounds; ++round) {
        const bool watching = round % 2 == 0;
        line.setWatching(watching);
        prepare();
        QElapsedTimer timer;
        timer.start();
        run();
        (watching ? with : without).push_back(bench::seconds(timer));
    }
    line.setWatching(true);
    return {bench::median(with), bench::median(without)};
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const int files = bench::countArgument(argc, argv);
    const char* roundsText = bench::option(argc, argv, "--rounds");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 5;
    const char* rowsText = bench::option(argc, argv, "--rows");
    const int listRows = rowsText ? std::max(1, std::atoi(rowsText)) : 2000000;

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    ProgressLine& line = form.progressLine();

    const QString root = QString::fromStdString(session.scratch()) + QStringLiteral("/tree");
    const std::vector<std::string> paths = bench::makeTree(root, files, 50);
    const QString list = QString::fromStdString(session.scratch()) + QStringLiteral("/list.txt");
    {
        QFile out(list);
        if (!out.open(QIODevice::WriteOnly)) return 1;
        for (int row = 0; row < listRows; ++row)
            out.write(QByteArray::fromStdString(paths[std::size_t(row) % paths.size()] + "\r\n"));
    }
    const QString saved = QString::fromStdString(session.scratch()) + QStringLiteral("/saved.txt");
    const auto idle = [&] {
        test.dialogs.clearShown();
        app.processEvents();
    };

    const Timing scan = timeBothWays(
        line, rounds,
        [&] {
            form.fileList().clear();
            test.dialogs.answerInput(QStringLiteral("*"));
            test.dialogs.answerFolder(root);
            idle();
        },
        [&] { clickControl(form, "PushButton10"); });
    const Timing load = timeBothWays(
        line, rounds,
        [&] {
            form.fileList().clear();
            test.dialogs.answerOpenFile({list});
            idle();
        },
        [&] { clickControl(form, "PushButton3"); });
    const Timing check = timeBothWays(
        line, rounds,
        [&] {
            form.resultsList().clear();
            idle();
        },
        [&] { clickControl(form, "PushButton4"); });
    for (int row = 1; row <= form.resultsList().count(); ++row)
        form.resultsList().setChecked(row, true);
    const Timing save = timeBothWays(
        line, rounds,
        [&] {
            QFile::remove(saved);
            test.dialogs.answerSaveFile(saved);
            idle();
        },
        [&] { clickControl(form, "PushButton6"); });
    const Timing copy =
        timeBothWays(line, rounds, idle, [&] { clickControl(form, "PushButton18"); });

    const int rows = form.resultsList().count();
    const bool whole = rows == listRows && QFile(saved).size() > 0;
    const auto say = [](const char* name, const Timing& timing) {
        std::printf("%-12s with the line %.3f s  without %.3f s  ratio %.3f\n", name, timing.with,
                    timing.without, timing.ratio());
    };
    std::printf("files: %zu, list rows: %d, rounds: %d each way\n", paths.size(), listRows, rounds);
    say("folder scan", scan);
    say("list load", load);
    say("size check", check);
    say("text export", save);
    say("copy", copy);
    bench::KeyValues()
        .add("files", int(paths.size()))
        .add("rows", listRows)
        .add("scan_ratio", scan.ratio())
        .add("list_ratio", load.ratio())
        .add("check_ratio", check.ratio())
        .add("save_ratio", save.ratio())
        .add("copy_ratio", copy.ratio())
        .add("complete", whole)
        .print();
    return whole ? 0 : 1;
}
