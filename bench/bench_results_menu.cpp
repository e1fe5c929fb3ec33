// The results' menu on a million rows: the tick items, the three sorts and the total, run
// through the window's own handlers, each timed with the view catching up afterwards. The last
// line is key=value pairs.
//
//     build/bench/bench_results_menu [ROWS]

#include "bench_support.h"
#include "core/units.h"
#include "doubles/test_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

const char* const kUsage =
    "Usage: bench_results_menu [ROWS]\n"
    "Times Tick All, Untick All, Invert Ticks, the three sorts and Total on a results list of\n"
    "ROWS rows (1000000) in the real window, offscreen, beside one sort of as many byte counts.\n"
    "The last line of the output is key=value pairs.\n";

// Sizes over many orders of magnitude, many of them equal; every 97th read failed.
struct Result
{
    std::string path;
    std::int64_t bytes; // -1: the read failed
};

std::vector<Result> makeResults(int rows)
{
    std::mt19937_64 random(42);
    std::vector<Result> results;
    results.reserve(std::size_t(rows));
    char buffer[96];
    for (int i = 0; i < rows; ++i) {
        std::snprintf(buffer, sizeof buffer, "/home/user/Projects/d%03d/e%02d/File%d.dat",
                      int(random() % 1000), int(random() % 100), int(random() % 100000));
        const int shift = int(random() % 40);
        results.push_back({buffer, i % 97 == 0 ? -1 : std::int64_t(random() >> (24 + shift))});
    }
    return results;
}

// What any sort by size has to do at least: sort as many byte counts, with their rows.
double anchorSort(const std::vector<Result>& results)
{
    std::vector<std::pair<std::int64_t, int>> keys;
    keys.reserve(results.size());
    for (std::size_t i = 0; i < results.size(); ++i)
        keys.emplace_back(results[i].bytes, int(i));
    QElapsedTimer timer;
    timer.start();
    std::sort(keys.begin(), keys.end());
    return bench::seconds(timer);
}

// Runs one item's handler, prints its line and adds its time (command and view) under `key`.
template <typename Command>
void run(const char* name, const char* key, double anchor, bench::KeyValues& keys, Command command)
{
    QElapsedTimer timer;
    timer.start();
    command();
    const double commandSeconds = bench::seconds(timer);
    timer.restart();
    QCoreApplication::processEvents();
    const double viewSeconds = bench::seconds(timer);
    const double total = commandSeconds + viewSeconds;
    std::printf("%-32s %8.1f ms (+%6.1f ms view) %6.2fx anchor\n", name, 1000 * commandSeconds,
                1000 * viewSeconds, total / anchor);
    keys.add(std::string(key) + "_seconds", total);
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    // Names collate as a person's locale has them, not byte by byte as in the C locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const int rows = bench::fileCount(argc, argv, 1000000);

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();

    const std::vector<Result> results = makeResults(rows);
    const double anchor = anchorSort(results);
    std::printf("%d rows; anchor (sort as many byte counts): %.1f ms\n", rows, 1000 * anchor);
    bench::KeyValues keys;
    keys.add("rows", rows).add("anchor_seconds", anchor);

    QElapsedTimer timer;
    timer.start();
    RowList& list = form.resultsList();
    for (const Result& result : results) {
        const int row = list.addUtf8(result.path);
        if (result.bytes < 0) continue;
        list.setSubItem(row, 1, ConvertUnitTo(short(row % 4), double(result.bytes)));
        list.setSize(row, result.bytes);
    }
    for (int row = 1; row <= rows; row += 3)
        list.setChecked(row, true);
    QCoreApplication::processEvents();
    std::printf("%-32s %8.1f ms\n", "filling the results list", 1000 * bench::seconds(timer));

    WindowCommands& menu = form.commands();
    run("Tick All", "tick_all", anchor, keys, [&] { form.run(menu.tickAll); });
    run("Untick All", "untick_all", anchor, keys, [&] { form.run(menu.untickAll); });
    run("Invert Ticks", "invert_ticks", anchor, keys, [&] { form.run(menu.invertTicks); });
    run("Sort by Size, Largest First", "sort_largest", anchor, keys,
        [&] { form.run(menu.sortLargestFirst); });
    run("Sort by Size, Smallest First", "sort_smallest", anchor, keys,
        [&] { form.run(menu.sortSmallestFirst); });
    run("Sort by Name", "sort_name", anchor, keys, [&] { form.run(menu.sortByName); });
    run("Total\u2026 (every row ticked)", "total_ticked", anchor, keys,
        [&] { form.run(menu.total); });
    form.run(menu.untickAll);
    run("Total\u2026 (none ticked: all rows)", "total_all", anchor, keys,
        [&] { form.run(menu.total); });
    std::printf("the total's box said:\n%s\n",
                qPrintable(test.dialogs.texts().last().replace(QStringLiteral("\r\n"), "\n")));

    const double peak = bench::peakMemoryMiB();
    std::printf("peak memory %.0f MiB\n", peak);
    keys.add("peak_mib", peak);

    // Five sorts of each kind in a row: what the fifth leaves resident beside the first.
    double growth = 0;
    for (auto [name, command] : {std::pair("largest first", &menu.sortLargestFirst),
                                 std::pair("smallest first", &menu.sortSmallestFirst),
                                 std::pair("by name", &menu.sortByName)}) {
        double first = 0;
        for (int round = 1; round <= 5; ++round) {
            form.run(*command);
            // The views catch up, and what waits for the window to be idle runs.
            QElapsedTimer idle;
            idle.start();
            while (idle.elapsed() < 500)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (round == 1) first = bench::residentMiB();
        }
        const double added = bench::residentMiB() - first;
        std::printf("five sorts %-16s resident %+.1f MiB after the first\n", name, added);
        growth = std::max(growth, added);
    }
    keys.add("sort_growth_mib", growth).print();
    return 0;
}
