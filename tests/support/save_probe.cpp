// "Save Results As Text File" in a process of its own, so a test can run it as another user or
// end it in the middle, as a close from the desktop does.
//
//     save_probe TARGET ROWS [EXIT_AT_ROUND]
//
// Answers the save dialog with TARGET and the overwrite question with Yes, writes ROWS results
// rows, and prints the text of every box shown, one per line, with CR and LF as \r and \n.
// With EXIT_AT_ROUND the process ends at once in that event round, as the window's close does.

#include "commands/text_export.h"
#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "doubles/doubles.h"
#include "doubles/scripted_dialogs.h"
#include "lists/row_list.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

class Pointer : public WindowPointer
{
public:
    PointerSetting mousePointer() const override { return setting_; }
    void setMousePointer(PointerSetting setting) override { setting_ = setting; }

private:
    PointerSetting setting_ = PointerSetting::Default;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: save_probe TARGET ROWS [EXIT_AT_ROUND]\n", stderr);
        return 2;
    }
    const int rows = std::atoi(argv[2]);
    const int exitAt = argc > 3 ? std::atoi(argv[3]) : 0;

    RowList results(2, true);
    for (int row = 1; row <= rows; ++row)
        results.add(QStringLiteral("/results/row %1 of the probe's list").arg(row));
    ScriptedDialogs dialogs;
    dialogs.answerSaveFile(QString::fromLocal8Bit(argv[1]));
    dialogs.answerMessage(AnswerYes);
    ErrorReporter errors(dialogs);
    CountingEventPump events;
    events.onCall = [&] {
        if (events.calls == exitAt) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
    };
    Pointer pointer;

    TextExport(results, {pointer, dialogs, errors, events}).run();

    for (const ScriptedDialogs::Shown& box : dialogs.shown()) {
        QString text = box.text;
        text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
        std::printf("%s\n", text.toUtf8().constData());
    }
    return pointer.mousePointer() == PointerSetting::Default ? 0 : 1;
}
