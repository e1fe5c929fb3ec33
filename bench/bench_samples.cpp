// "Load Sample/Example Files" against a file list that already holds N rows (each recorded
// sample is looked for in every row before it is added), in the real window (offscreen),
// against a bare loop comparing the same texts held in a std::vector in the same run. The last
// line is key=value pairs.
//
//     build/bench/bench_samples [ROWS]     (default 1000000)

#include "adding/samples.h"
#include "bench_support.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "ui/form1.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>

namespace {

const char* const kUsage =
    "Usage: bench_samples [ROWS]\n"
    "Times Load Sample/Example Files against a file list of ROWS rows (1000000) in the real\n"
    "window, offscreen, beside a bare loop comparing the same texts.\n"
    "The last line of the output is key=value pairs.\n";

} // namespace

int main(int argc, char** argv)
{
    const bench::Session session(argc, argv, kUsage);
    QApplication app(argc, argv);
    const int rows = bench::fileCount(argc, argv, 1000000);

    TestPlatform test;
    QStringList samples;
    for (const char* name : {"Reed Bed Notes.txt", "water-levels.csv", "heron.svg"}) {
        const QString path = test.programFolder() + "/Samples/" + name;
        QDir().mkpath(test.programFolder() + "/Samples");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return 2;
        samples << path;
    }

    std::vector<std::string> texts;
    texts.reserve(std::size_t(rows));
    for (int i = 0; i < rows; ++i)
        texts.push_back(QStringLiteral("%1/Samples/other/file%2.dat")
                            .arg(test.programFolder())
                            .arg(i)
                            .toStdString());

    // Anchor: every sample compared with every row, best of three.
    double bareLoop = 1e9;
    int found = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QString& sample : samples) {
            const std::string needle = sample.toStdString();
            found += std::count(texts.begin(), texts.end(), needle);
        }
        bareLoop = std::min(bareLoop, bench::seconds(timer));
    }

    Form1 form(test.platform());
    form.Form_Load();
    form.show();
    for (const std::string& text : texts)
        form.fileList().addUtf8(text);
    std::vector<std::string>().swap(texts);
    app.processEvents();

    test.dialogs.answerMessage(AnswerNo);
    QElapsedTimer timer;
    timer.start();
    pushButton(form, "PushButton8")->click();
    const double load = bench::seconds(timer);

    const bool right =
        found == 0 && form.fileList().count() == rows + 3 && test.dialogs.shown().size() == 1;
    std::printf("rows already listed  %d\n", rows);
    std::printf("bare compare loop    %.3f s  (3 samples x %d rows)\n", bareLoop, rows);
    std::printf("load samples         %.3f s  (%.2f x the bare loop)\n", load, load / bareLoop);
    std::printf("outcome              %s\n", right ? "three samples added, one question" : "WRONG");
    bench::KeyValues()
        .add("rows", rows)
        .add("bare_seconds", bareLoop)
        .add("load_seconds", load)
        .add("load_over_bare", load / bareLoop)
        .add("right", right)
        .print();
    return right ? 0 : 1;
}
