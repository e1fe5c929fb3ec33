// `bytemarsh --check --list L > /dev/null`, the program as a script runs it, beside the tools
// a script would otherwise use over the same paths in the same run: `du -b --files0-from`,
// `xargs -0 stat -c '%s %n'`, and a one-thread and a 16-thread stat() loop (in this process,
// over the paths already in memory). Then the same check saving its results with `--text T`,
// and with `--xlsx X`, each with its peak memory: the workbook beside the text file. Medians
// of 5; the last line is key=value pairs.
//
//     bench_check_mode [FILES] [--list FILE] [--cold] [--rounds N]
//
// Without --list it makes FILES files (200000 by default), 50 to a folder, in a temporary
// folder. --cold drops the page cache before every timed run (root only).

#include "bench_support.h"

#include <QCoreApplication>
#include <string_view>
#include <sys/resource.h>
#include <tuple>

namespace {

const char* const kUsage =
    "Usage: bench_check_mode [FILES] [--list FILE] [--cold] [--rounds N]\n"
    "Times bytemarsh --check --list L > /dev/null beside du -b --files0-from, xargs -0 stat\n"
    "-c '%s %n', and a 1-thread and a 16-thread stat() loop over the same paths, and the\n"
    "check saving --text and --xlsx, with their peak memory; medians.\n"
    "  FILES       files to generate, 50 to a folder, in a temporary tree (200000)\n"
    "  --list FILE check the paths in FILE, one a line, instead of a generated tree\n"
    "  --cold      drop the page cache before every timed run (root only)\n"
    "  --rounds N  timed runs of each (5)\n"
    "The last line of the output is key=value pairs.\n";

struct Timed
{
    double seconds = 0;
    double peakMiB = 0; // the process's own peak resident memory
    int status = -1;
};

// Runs a program with its standard output into `output` (a file name) and its standard input
// from `input`, both opened here, and times it to its end.
Timed timeProgram(const std::vector<std::string>& arguments, const std::string& input = "/dev/null",
                  const std::string& output = "/dev/null")
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = ::open("/dev/null", O_WRONLY);
        if (in < 0 || out < 0 || null < 0) ::_exit(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(null, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    Timed timed;
    int status = 0;
    rusage usage = {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return timed;
    timed.seconds = bench::seconds(timer);
    timed.peakMiB = double(usage.ru_maxrss) / 1024.0;
    timed.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return timed;
}

std::vector<std::string> readList(const char* list)
{
    QFile file(QFile::decodeName(list));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", list);
        std::exit(1);
    }
    std::vector<std::string> paths;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty()) paths.emplace_back(line.constData(), std::size_t(line.size()));
    }
    return paths;
}

void writeFile(const std::string& name, const std::vector<std::string>& paths, char separator,
               bool lastSeparator)
{
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        text += paths[i];
        if (i + 1 < paths.size() || lastSeparator) text += separator;
    }
    QFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) < 0) {
        std::fprintf(stderr, "cannot write %s\n", name.c_str());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QCoreApplication app(argc, argv);
    const bench::CacheDropper dropCaches(bench::flag(argc, argv, "--cold"));
    const char* roundsOption = bench::option(argc, argv, "--rounds");
    const int rounds = std::max(1, roundsOption ? std::atoi(roundsOption) : 5);

    std::vector<std::string> paths;
    if (const char* list = bench::option(argc, argv, "--list")) {
        paths = readList(list);
    } else {
        const int count = bench::countArgument(argc, argv);
        QElapsedTimer making;
        making.start();
        paths = bench::makeTree(QString::fromStdString(session.scratch() + "/tree"), count, 50);
        std::printf("tree: %d files, 50 to a folder, made in %.1f s\n", count,
                    bench::seconds(making));
    }
    // One path a line, the last line unended (an ended one would add an empty row); and the
    // same paths NUL-separated for du and xargs.
    const std::string lines = session.scratch() + "/list.txt";
    const std::string nuls = session.scratch() + "/list0";
    writeFile(lines, paths, '\n', false);
    writeFile(nuls, paths, '\0', true);
    ::sync();
    const int rows = int(paths.size());
    std::printf("list: %d paths\n", rows);

    const std::string program = BYTEMARSH_PROGRAM;
    const std::vector<std::string> check = {program, "--check", "--list", lines};
    const std::vector<std::string> du = {"du", "-b", "--files0-from=" + nuls};
    const std::vector<std::string> xargs = {"xargs", "-0", "stat", "-c", "%s %n"};
    const std::string textFile = session.scratch() + "/results.txt";
    const std::string workbookFile = session.scratch() + "/results.xlsx";
    std::vector<std::string> text = check, workbook = check;
    text.insert(text.end(), {"--text", textFile});
    workbook.insert(workbook.end(), {"--xlsx", workbookFile});

    // Once untimed: every row sized and written, and every cache warm for a warm run.
    const std::string output = session.scratch() + "/output.txt";
    const Timed first = timeProgram(check, "/dev/null", output);
    QFile written(QString::fromStdString(output));
    const bool allSized = first.status == 0 && written.open(QIODevice::ReadOnly) &&
                          written.readAll().count('\n') == rows;
    written.remove();
    if (!dropCaches.active()) {
        bench::timeStatLoop(paths, 1);
        timeProgram(du);
    }

    std::vector<double> checks, dus, stat1, stat16, xargsStat, peaks, texts, workbooks;
    double textPeak = 0, workbookPeak = 0;
    bool saved = true;
    for (int round = 0; round < rounds; ++round) {
        dropCaches();
        const Timed run = timeProgram(check);
        checks.push_back(run.seconds);
        peaks.push_back(run.peakMiB);
        dropCaches();
        dus.push_back(timeProgram(du).seconds);
        dropCaches();
        stat1.push_back(bench::timeStatLoop(paths, 1));
        dropCaches();
        stat16.push_back(bench::timeStatLoop(paths, 16));
        dropCaches();
        xargsStat.push_back(timeProgram(xargs, nuls).seconds);
        for (auto [arguments, times, peak] : {std::tuple(&text, &texts, &textPeak),
                                              std::tuple(&workbook, &workbooks, &workbookPeak)}) {
            dropCaches();
            const Timed saving = timeProgram(*arguments);
            times->push_back(saving.seconds);
            *peak = std::max(*peak, saving.peakMiB);
            saved = saved && saving.status == 0;
        }
    }
    const double checkTime = bench::median(checks);
    const double duTime = bench::median(dus);
    const double stat1Time = bench::median(stat1);
    const double stat16Time = bench::median(stat16);
    const double xargsTime = bench::median(xargsStat);
    const double peak = *std::max_element(peaks.begin(), peaks.end());
    const double textTime = bench::median(texts);
    const double workbookTime = bench::median(workbooks);

    std::printf("%s, %d rows, medians of %d:\n", dropCaches.active() ? "cold" : "warm", rows,
                rounds);
    std::printf("  bytemarsh --check --list   %.3f s\n", checkTime);
    std::printf("  du -b --files0-from        %.3f s   check/du = %.2f\n", duTime,
                checkTime / duTime);
    std::printf("  stat() loop, 1 thread      %.3f s   check/stat1 = %.2f\n", stat1Time,
                checkTime / stat1Time);
    std::printf("  stat() loop, 16 threads    %.3f s   check/stat16 = %.2f\n", stat16Time,
                checkTime / stat16Time);
    std::printf("  xargs -0 stat -c '%%s %%n'   %.3f s   check/xargs = %.2f\n", xargsTime,
                checkTime / xargsTime);
    std::printf("  peak memory of the check   %.0f MiB\n", peak);
    std::printf("  with --text                %.3f s, %.0f MiB peak\n", textTime, textPeak);
    std::printf("  with --xlsx                %.3f s, %.0f MiB peak   xlsx/text = %.2f\n",
                workbookTime, workbookPeak, workbookTime / textTime);
    std::printf("  outcome                    %s\n",
                allSized && saved ? "exit status 0, one line per row, both files saved" : "WRONG");
    std::printf("rows=%d cold=%d check_seconds=%f du_seconds=%f stat1_seconds=%f "
                "stat16_seconds=%f xargs_seconds=%f check_over_stat1=%f check_over_stat16=%f "
                "check_over_du=%f check_over_xargs=%f peak_mib=%.0f text_seconds=%f "
                "text_peak_mib=%.0f xlsx_seconds=%f xlsx_peak_mib=%.0f xlsx_over_text=%f\n",
                rows, dropCaches.active() ? 1 : 0, checkTime, duTime, stat1Time, stat16Time,
                xargsTime, checkTime / stat1Time, checkTime / stat16Time, checkTime / duTime,
                checkTime / xargsTime, peak, textTime, textPeak, workbookTime, workbookPeak,
                workbookTime / textTime);
    return allSized && saved ? 0 : 1;
}
