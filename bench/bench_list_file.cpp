// "Load File List From Text File" in the real window (offscreen) over three list files, beside
// `wc -l` over the same file in the same run: a gigabyte of one line (real bytes), ten
// gigabytes of NULs (a sparse file) and a list of ROWS ordinary paths. For each, the time
// (median of the rounds) and the peak memory of the load. The last line is key=value pairs.
//
//     bench_list_file [ROWS] [--rounds 3]     (ROWS 1000000 by default)

#include "bench_support.h"
#include "support/form_controls.h"

#include "doubles/test_platform.h"
#include "platform/event_pump.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

const char* const kUsage =
    "Usage: bench_list_file [ROWS] [--rounds 3]\n"
    "  Loads a 1 GiB one-line list, a 10 GiB sparse list of NULs and a list of ROWS\n"
    "  paths (1000000 by default) into the file list, beside wc -l over each, and\n"
    "  prints times, ratios and peak memory. The last line holds key=value pairs.\n";

bool writeAll(int fd, const std::string& bytes)
{
    return ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

// A file of `bytes` copies of c and no line end; a sparse one when c is NUL.
bool makeOneLine(const std::string& path, off_t bytes, char c)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    if (c == '\0') {
        ok = ::ftruncate(fd, bytes) == 0;
    } else {
        const std::string block(1 << 20, c);
        for (off_t written = 0; ok && written < bytes; written += off_t(block.size()))
            ok = writeAll(fd, block);
    }
    return ::close(fd) == 0 && ok;
}

bool makeRows(const std::string& path, int rows)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string block;
    bool ok = true;
    for (int row = 0; ok && row < rows; ++row) {
        block += "/home/someone/projects/reedbed/survey/plot" + std::to_string(row % 977) +
                 "/reading" + std::to_string(row) + ".csv\r\n";
        if (block.size() > (1 << 20) || row + 1 == rows) {
            ok = writeAll(fd, block);
            block.clear();
        }
    }
    return ::close(fd) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const int rowCount = bench::countArgument(argc, argv, 1000000);
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

    QTemporaryDir dir;
    struct Case
    {
        const char* key;
        std::string path;
        std::function<bool(const std::string&)> make;
    };
    const std::vector<Case> cases{
        {"line_1g", "", [](const std::string& p) { return makeOneLine(p, off_t(1) << 30, 'x'); }},
        {"nul_10g", "", [](const std::string& p) { return makeOneLine(p, off_t(10) << 30, 0); }},
        {"rows", "", [&](const std::string& p) { return makeRows(p, rowCount); }},
    };

    std::string keys = "rounds=" + std::to_string(rounds);
    std::printf("warm, medians of %d:\n", rounds);
    std::printf("  %-8s %8s %10s %10s %10s %9s %6s\n", "list", "rows", "load s", "wc -l s",
                "load/wc", "peak MiB", "boxes");
    for (const Case& one : cases) {
        const std::string path = QFile::encodeName(dir.filePath(one.key)).toStdString();
        if (!one.make(path)) {
            std::fprintf(stderr, "cannot make %s\n", path.c_str());
            return 2;
        }
        const std::string wc = "wc -l " + bench::quoted(path);
        bench::timeCommand(wc); // warms the page cache
        std::vector<double> loads, counts;
        int rows = 0;
        qsizetype boxes = 0;
        double peak = 0;
        for (int round = 0; round < rounds; ++round) {
            form.fileList().clear();
            QCoreApplication::processEvents();
            test.dialogs.clearShown();
            test.dialogs.answerOpenFile({QFile::decodeName(path.c_str())});
            bench::resetPeakMemory();
            QElapsedTimer timer;
            timer.start();
            clickControl(form, "PushButton3");
            QCoreApplication::processEvents(); // the rows reach the view
            loads.push_back(bench::seconds(timer));
            peak = std::max(peak, bench::peakMemoryMiB());
            rows = form.fileList().count();
            boxes = qsizetype(test.dialogs.shown().size()) - 1; // the open dialog aside
            counts.push_back(bench::timeCommand(wc));
        }
        form.fileList().clear();
        QFile::remove(QFile::decodeName(path.c_str()));
        const double load = bench::median(loads), count = bench::median(counts);
        std::printf("  %-8s %8d %10.3f %10.3f %10.2f %9.0f %6lld\n", one.key, rows, load, count,
                    load / count, peak, static_cast<long long>(boxes));
        std::fflush(stdout);
        const std::string key = one.key;
        keys += " " + key + "_rows=" + std::to_string(rows) + " " + key +
                "_load_seconds=" + std::to_string(load) + " " + key +
                "_wc_seconds=" + std::to_string(count) + " " + key +
                "_load_over_wc=" + std::to_string(load / count) + " " + key +
                "_peak_mib=" + std::to_string(int(peak)) + " " + key +
                "_boxes=" + std::to_string(boxes);
    }
    std::printf("%s\n", keys.c_str());
    return 0;
}
