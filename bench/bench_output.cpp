// Copies a million ticked results rows to the clipboard and saves them as a text file through
// the real window, each timed against a bare loop doing the same work on the same texts. The
// last line is key=value pairs.
//
//     build/bench/bench_output [ROWS]

#include "bench_support.h"
#include "doubles/test_platform.h"
#include "output/clipboard_copy.h"
#include "platform/gui/qt_clipboard.h"
#include "support/form_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: bench_output [ROWS]\n"
    "Times Copy Results To Clipboard and Save Results As Text File over ROWS ticked results\n"
    "rows (1000000) in the real window, offscreen, each beside a bare loop doing the same work.\n"
    "The last line of the output is key=value pairs.\n";

std::string pathOf(int i)
{
    return "/home/someone/projects/archive/d" + std::to_string(i / 10000) + "/e" +
           std::to_string(i / 100 % 100) + "/file" + std::to_string(i) + ".dat";
}

std::string sizeOf(int i)
{
    return std::to_string(i % 1000) + "." + std::to_string(i % 100) + " KB";
}

// The clipboard text built directly from the texts, without the list or the event pump.
std::string bareClipboardText(const std::vector<std::string>& paths,
                              const std::vector<std::string>& sizes)
{
    std::size_t width = 0;
    for (const std::string& path : paths)
        width = std::max(width, path.size());
    std::string text;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        text += paths[i];
        text.append(width - paths[i].size(), ' ');
        text += '\t';
        text += sizes[i];
        text += "\r\n";
    }
    return text;
}

void bareTextFile(const QString& file, const std::vector<std::string>& paths)
{
    FILE* out = std::fopen(QFile::encodeName(file).constData(), "wb");
    if (!out) return;
    for (const std::string& path : paths) {
        std::fwrite(path.data(), 1, path.size(), out);
        std::fwrite("\r\n", 1, 2, out);
    }
    std::fclose(out);
}

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const int rows = bench::fileCount(argc, argv, 1000000);
    QTemporaryDir work;

    TestPlatform test;
    Form1 form(test.platform());
    form.Form_Load();
    std::vector<std::string> paths;
    std::vector<std::string> sizes;
    paths.reserve(std::size_t(rows));
    sizes.reserve(std::size_t(rows));
    RowList& results = form.resultsList();
    for (int i = 0; i < rows; ++i) {
        paths.push_back(pathOf(i));
        sizes.push_back(sizeOf(i));
        const int row = results.addUtf8(paths.back());
        results.setSubItem(row, 1, QString::fromStdString(sizes.back()));
        results.setChecked(row, true);
    }
    QCoreApplication::processEvents(); // the rows reach the view

    // The copy first, its memory measured from what the lists hold: nothing of this program's
    // own is resident beside them yet but the texts it made them from.
    const double beforeCopy = bench::residentMiB();
    bench::resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    clickControl(form, "PushButton18");
    const double copy = bench::seconds(timer);
    const double copyPeak = bench::peakMemoryMiB() - beforeCopy;

    timer.restart();
    const std::string bareText = bareClipboardText(paths, sizes);
    const double bareCopy = bench::seconds(timer);
    const QByteArray copied = test.clipboard.text().toUtf8();
    const bool copyMatches = copied == QByteArray::fromStdString(bareText);

    timer.restart();
    QtClipboard system;
    SetClipboardText(system, copied);
    const double systemClipboard = bench::seconds(timer);

    const QString anchorFile = work.filePath(QStringLiteral("anchor.txt"));
    timer.restart();
    bareTextFile(anchorFile, paths);
    const double bareSave = bench::seconds(timer);

    const QString savedFile = work.filePath(QStringLiteral("results.txt"));
    test.dialogs.answerSaveFile(savedFile);
    timer.restart();
    clickControl(form, "PushButton6");
    const double save = bench::seconds(timer);
    QFile saved(savedFile);
    QFile anchor(anchorFile);
    const bool saveMatches = saved.open(QIODevice::ReadOnly) && anchor.open(QIODevice::ReadOnly) &&
                             saved.readAll() == anchor.readAll();

    const double textMiB = double(copied.size()) / (1024.0 * 1024.0);
    std::printf("rows: %d ticked, clipboard text %.1f MiB\n", rows, textMiB);
    std::printf("copy to clipboard (PushButton18): %.3f s  bare build %.3f s  ratio %.1f  %s\n",
                copy, bareCopy, copy / bareCopy, copyMatches ? "same text" : "TEXT DIFFERS");
    std::printf("  its peak above the lists: %.0f MiB = %.2f x the text\n", copyPeak,
                copyPeak / textMiB);
    std::printf("  handing it to the system clipboard (offscreen): %.3f s\n", systemClipboard);
    std::printf("save as text file (PushButton6):  %.3f s  bare fwrite %.3f s  ratio %.1f  %s\n",
                save, bareSave, save / bareSave, saveMatches ? "same bytes" : "BYTES DIFFER");
    const double peak = bench::peakMemoryMiB();
    std::printf("messages shown: %zu, event pump calls: %d, peak memory %.0f MiB\n",
                test.dialogs.shown().size(), test.events.calls, peak);
    bench::KeyValues()
        .add("rows", rows)
        .add("copy_seconds", copy)
        .add("bare_copy_seconds", bareCopy)
        .add("copy_over_bare", copy / bareCopy)
        .add("copy_peak_mib", copyPeak)
        .add("copy_peak_over_text", copyPeak / textMiB)
        .add("system_clipboard_seconds", systemClipboard)
        .add("save_seconds", save)
        .add("bare_save_seconds", bareSave)
        .add("save_over_bare", save / bareSave)
        .add("same_output", copyMatches && saveMatches)
        .add("peak_mib", peak)
        .print();
    return copyMatches && saveMatches ? 0 : 1;
}
