// Trimming a list of a million rows: the substring filters and Clear List, run through the
// window's own buttons with the input box answered from a script. The last line is key=value
// pairs.
//
//     build/bench/bench_list_editing [ROWS]

#include "bench_support.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: bench_list_editing [ROWS]\n"
    "Times the substring filters and Clear List on lists of ROWS rows (1000000) in the real\n"
    "window, offscreen, beside one fold-and-search pass over the same texts.\n"
    "The last line of the output is key=value pairs.\n";

std::string pathOf(int i, const char* tail, const char* top)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "/home/user/%s/d%03d/e%02d/File%07d.%s", top, i / 10000,
                  i / 100 % 100, i, tail);
    return buffer;
}

// Every second row ends in .DROP; with `needleAt` set, that one row alone holds "needle".
std::vector<std::string> makePaths(int rows, int needleAt = -1, const char* top = "Projects")
{
    std::vector<std::string> paths;
    paths.reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i)
        paths.push_back(pathOf(i, i == needleAt ? "needle" : i % 2 ? "DROP" : "keep", top));
    return paths;
}

void fill(RowList& list, const std::vector<std::string>& paths)
{
    list.clear();
    for (const std::string& path : paths)
        list.addUtf8(path);
    QCoreApplication::processEvents(); // the view learns of the rows
}

// What any filter has to do at least: fold and search every text once.
double anchorScan(const std::vector<std::string>& paths, const std::string& needle, int& hits)
{
    QElapsedTimer timer;
    timer.start();
    std::string lowered;
    hits = 0;
    for (const std::string& path : paths) {
        lowered.resize(path.size());
        std::transform(path.begin(), path.end(), lowered.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (lowered.find(needle) != std::string::npos) ++hits;
    }
    return bench::seconds(timer);
}

// Seconds for the command, and for the window to catch up with the change afterwards.
template <typename Command> std::pair<double, double> timed(Command command)
{
    QElapsedTimer timer;
    timer.start();
    command();
    const double run = bench::seconds(timer);
    timer.restart();
    QCoreApplication::processEvents();
    return {run, bench::seconds(timer)};
}

// Runs one command, prints its line and adds its time (command and view) under `key`.
template <typename Command>
void run(const char* name, const char* key, RowList& list, double anchor, bench::KeyValues& keys,
         Command command)
{
    const std::pair<double, double> times = timed(command);
    const int rowsLeft = list.count();
    std::printf("%-40s %8.1f ms (+%6.1f ms view) %6.2fx anchor  rows left %d\n", name,
                1000 * times.first, 1000 * times.second, (times.first + times.second) / anchor,
                rowsLeft);
    keys.add(std::string(key) + "_seconds", times.first + times.second);
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const int rows = bench::fileCount(argc, argv, 1000000);

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    const std::vector<std::string> halves = makePaths(rows);
    const std::vector<std::string> oneNeedle = makePaths(rows, rows / 2);
    int hits = 0;
    const double anchor = anchorScan(halves, "drop", hits);
    std::printf("%d rows; anchor (fold and search every text once): %.1f ms, %d hits\n", rows,
                1000 * anchor, hits);
    bench::KeyValues keys;
    keys.add("rows", rows).add("anchor_seconds", anchor);

    QElapsedTimer timer;
    timer.start();
    fill(form.fileList(), halves);
    std::printf("%-40s %8.1f ms\n", "filling the file list", 1000 * bench::seconds(timer));

    test.dialogs.answerInput("drop");
    run("Remove Filenames Containing X", "remove_containing", form.fileList(), anchor, keys,
        [&] { clickControl(form, "PushButton1"); });

    fill(form.fileList(), oneNeedle);
    test.dialogs.answerInput("NEEDLE");
    run("Remove Filenames Not Cont. X", "remove_not_containing", form.fileList(), anchor, keys,
        [&] { clickControl(form, "PushButton2"); });

    // Paths beyond ASCII take the full Unicode lower-casing, row by row.
    fill(form.fileList(), makePaths(rows, -1, "Projekte/Übersicht"));
    test.dialogs.answerInput("drop");
    run("Remove Filenames Containing X, non-ASCII", "remove_containing_non_ascii", form.fileList(),
        anchor, keys, [&] { clickControl(form, "PushButton1"); });

    fill(form.fileList(), halves);
    run("Clear List (files)", "clear_files", form.fileList(), anchor, keys,
        [&] { clickControl(form, "PushButton11"); });

    // The results list has a size column beside each path; it is never searched.
    fill(form.resultsList(), halves);
    for (int row = 1; row <= rows; ++row)
        form.resultsList().setSubItem(row, 1, "1 KB");
    test.dialogs.answerInput("drop");
    run("Remove Results Containing X", "remove_results_containing", form.resultsList(), anchor,
        keys, [&] { clickControl(form, "PushButton13"); });
    run("Clear List (results)", "clear_results", form.resultsList(), anchor, keys,
        [&] { clickControl(form, "PushButton9"); });

    const double peak = bench::peakMemoryMiB();
    std::printf("peak memory %.0f MiB\n", peak);
    keys.add("peak_mib", peak).print();
    return 0;
}
