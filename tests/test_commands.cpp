// The commands without the window: on row lists and the doubles, as the window's table runs them.
#include "commands/drop.h"
#include "commands/running_commands.h"
#include "commands/window_commands.h"
#include "core/error_trap.h"
#include "core/results_columns.h"
#include "doubles/test_platform.h"
#include "lists/row_list.h"
#include "support/test_main.h"

#include <QDir>

namespace {

// What the window gives its commands, without the window.
struct Room
{
    Room()
    {
        files.addColumn(QStringLiteral("File(s)"));
        results.addColumn(ResultsColumns::filename());
        results.addColumn(ResultsColumns::fileSize());
    }

    TestPlatform test;
    PlainPointer pointer;
    PlainUnitOptions units;
    ErrorReporter errors{test.dialogs};
    RunningCommands running{test.events, pointer, errors};
    CommandContext context{pointer, test.dialogs, errors, test.events};
    RowList files{1, false};
    RowList results{2, true};
    WindowCommands commands{files, results, units, test.platform(), context, {}};
};

QString unitSetting(int option)
{
    return QtSettingsStore().read(QStringLiteral("Option%1").arg(option), QString());
}

} // namespace

class CommandsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    // A tree of three folders with `perFolder` files each.
    QString tree(int perFolder)
    {
        const QString root = dir_.filePath(QStringLiteral("tree"));
        for (const char* folder : {"", "/a", "/a/b"}) {
            QDir().mkpath(root + QLatin1String(folder));
            for (int file = 0; file < perFolder; ++file)
                writeFile(root + QLatin1String(folder) + QStringLiteral("/f%1.txt").arg(file), "x");
        }
        return root;
    }

private slots:
    void init() { removeAllSettings(); }

    void onlyTheCommandsThatProcessEventsLetTheUserIn()
    {
        Room room;
        WindowCommands& c = room.commands;
        const std::vector<const Command*> letThrough = {
            &c.addAllFilesInFolder, &c.loadSampleFiles, &c.saveResultsAsTextFile,
            &c.copyResultsToClipboard, &c.saveResultsAsExcelFile};
        const std::vector<const Command*> held = {&c.removeFilenamesContaining,
                                                  &c.removeFilenamesNotContaining,
                                                  &c.loadFileList,
                                                  &c.startChecking,
                                                  &c.addFiles,
                                                  &c.help,
                                                  &c.clearResults,
                                                  &c.clearFileList,
                                                  &c.removeResultsContaining,
                                                  &c.removeResultsNotContaining,
                                                  &c.chooseUnit[0],
                                                  &c.removeSelectedFile,
                                                  &c.removeSelectedResult,
                                                  &c.tickAll,
                                                  &c.sortByName,
                                                  &c.total,
                                                  &c.openFileFolder,
                                                  &c.copyResultPath};
        for (const Command* command : letThrough)
            QCOMPARE(command->inputRule(), InputRule::LetThrough);
        for (const Command* command : held)
            QCOMPARE(command->inputRule(), InputRule::Held);
        QCOMPARE(DropItems(room.files, {}, room.context).inputRule(), InputRule::LetThrough);
        QCOMPARE(AddGivenPaths(room.files, {}, room.context).inputRule(), InputRule::LetThrough);
    }

    // What a person does while a scan waits on its readers gets in; while a check waits,
    // nothing does.
    void aScanTakesClicksWhileItWaitsAndACheckTakesNone()
    {
        Room room;
        const QString folder = tree(30);
        room.results.add(QStringLiteral("/r1"));
        room.results.add(QStringLiteral("/r2"));
        room.test.dialogs.answerInput(QStringLiteral("*"));
        room.test.dialogs.answerFolder(folder);

        QList<int> holdsInWaits;
        const auto clickEverything = [&](int option) {
            holdsInWaits << room.test.events.holds;
            room.running.run(room.commands.clearResults);
            room.running.run(room.commands.clearFileList);
            room.units.setSelected(option, true);
            room.running.run(room.commands.chooseUnit[std::size_t(option - 1)]);
        };
        room.test.events.onWaitCall = [&] { clickEverything(2); };
        room.running.run(room.commands.addAllFilesInFolder);

        QVERIFY(!holdsInWaits.isEmpty());
        QVERIFY(
            std::all_of(holdsInWaits.begin(), holdsInWaits.end(), [](int h) { return h == 0; }));
        QCOMPARE(room.results.count(), 0); // cleared in the scan's wait
        QCOMPARE(room.files.count(), 90);  // the file list's Clear found the window busy
        QCOMPARE(unitSetting(2), QStringLiteral("True"));

        holdsInWaits.clear();
        room.test.events.onWaitCall = [&] { clickEverything(3); };
        room.running.run(room.commands.startChecking);
        QVERIFY(!holdsInWaits.isEmpty());
        QVERIFY(
            std::all_of(holdsInWaits.begin(), holdsInWaits.end(), [](int h) { return h == 1; }));
        QCOMPARE(room.results.count(), 90);
        QCOMPARE(room.results.subItem(1, 1), QStringLiteral("0 KB"));
        QCOMPARE(unitSetting(2), QStringLiteral("True"));
        QCOMPARE(unitSetting(3), QStringLiteral("False"));
        QCOMPARE(room.test.dialogs.texts().last(), QStringLiteral("Done."));
    }

    // A stop ends each command where it stood: what it finished stays whole, what it had not
    // finished leaves nothing behind, and the command runs again afterwards.
    void aStopEndsACommandWhereItStood()
    {
        Room room;
        const QString folder = tree(100);
        Progress::State stopped;
        QObject::connect(&room.test.events.progress(), &Progress::stopped,
                         [&](const Progress::State& last) { stopped = last; });
        room.test.dialogs.answerInput(QStringLiteral("*"));
        room.test.dialogs.answerFolder(folder);
        room.running.run(room.commands.addAllFilesInFolder);
        QCOMPARE(room.files.count(), 300);

        // The check: stopped in its second wait round, every results row has its size.
        int waits = 0;
        room.test.events.onWaitCall = [&] {
            if (++waits == 2) room.test.events.requestStop();
        };
        room.running.run(room.commands.startChecking);
        const int sized = room.results.count();
        QVERIFY2(sized >= 1 && sized < 300, qPrintable(QString::number(sized)));
        for (int row = 1; row <= sized; ++row)
            QVERIFY(room.results.size(row).has_value());
        QVERIFY(!room.test.dialogs.texts().contains(QStringLiteral("Done.")));
        QCOMPARE(stopped.work, Progress::Work::Checking);
        QCOMPARE(stopped.done, qint64(sized));
        QCOMPARE(stopped.total, qint64(300));
        QVERIFY(!room.test.events.stopRequested());
        room.test.events.onWaitCall = nullptr;
        room.running.run(room.commands.startChecking);
        QCOMPARE(room.results.count(), sized + 300);
        QCOMPARE(room.test.dialogs.texts().last(), QStringLiteral("Done."));

        // The exports: the old file stays with nothing beside it, the clipboard keeps its text.
        const QString out = dir_.filePath(QStringLiteral("out/results.txt"));
        QDir().mkpath(dir_.filePath(QStringLiteral("out")));
        writeFile(out, "old");
        room.test.dialogs.answerSaveFile(out);
        room.test.dialogs.answerMessage(AnswerYes);
        room.test.events.onCall = [&] { room.test.events.requestStop(); };
        room.running.run(room.commands.saveResultsAsTextFile);
        QCOMPARE(contentOf(out), QByteArray("old"));
        QCOMPARE(QDir(dir_.filePath(QStringLiteral("out")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("results.txt")}));
        room.test.clipboard.setText("before", QString());
        room.running.run(room.commands.tickAll);
        room.running.run(room.commands.copyResultsToClipboard);
        QCOMPARE(room.test.clipboard.text(), QStringLiteral("before"));

        // A stop with no command under way is never asked for; one left over dies with its
        // command.
        room.test.events.onCall = nullptr;
        room.test.events.requestStop();
        room.test.events.commandBegan();
        room.test.events.commandEnded();
        QVERIFY(!room.test.events.stopRequested());
    }

    // A check that fails on many rows: each box names its row; the user who asks for no more
    // from the second on sees two, and "Done." tells how many were not shown. Every row that
    // exists still gets its size, as if OK had been pressed each time.
    void aCheckOfManyMissingFilesReportsAsTheUserAsks()
    {
        Room room;
        QStringList missing;
        for (int i = 1; i <= 30; ++i) {
            const QString path = dir_.filePath(QStringLiteral("many/f%1").arg(i));
            if (i % 3 == 0) {
                QDir().mkpath(dir_.filePath(QStringLiteral("many")));
                writeFile(path, "x");
            } else {
                missing << path;
            }
            room.files.add(path);
        }
        room.test.dialogs.tickNextCheckBox();
        room.running.run(room.commands.startChecking);

        const auto& shown = room.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(3));
        QCOMPARE(shown[0].title, QStringLiteral("Application Error"));
        QCOMPARE(shown[0].details, missing[0]);
        QCOMPARE(shown[0].checkBox, QString());
        QCOMPARE(shown[1].details, missing[1]);
        QCOMPARE(shown[1].checkBox, QStringLiteral("Report no more errors of this run"));
        QCOMPARE(shown[2].text,
                 QStringLiteral("Done.\r\n\r\n18 more error reports of this run were not shown."));
        QCOMPARE(room.results.count(), 30);
        QCOMPARE(room.results.size(3), std::optional<std::int64_t>(1));

        // The next check is a run of its own: its one failure looks as it always did.
        room.files.clear();
        room.files.add(missing[0]);
        room.test.dialogs.clearShown();
        room.running.run(room.commands.startChecking);
        QCOMPARE(room.test.dialogs.texts().size(), 2);
        QCOMPARE(room.test.dialogs.shown()[0].checkBox, QString());
        QCOMPARE(room.test.dialogs.texts().last(), QStringLiteral("Done."));
    }

    void listEditingLooksAtTheBusyPointerTheResultsClearDoesNot()
    {
        Room room;
        for (const char* path : {"/a", "/b"}) {
            room.files.add(QLatin1String(path));
            room.results.add(QLatin1String(path));
        }
        room.files.select(1);
        room.results.select(1);
        {
            // As a scan that lets clicks through shows it.
            const CommandScope scan(room.running, InputRule::LetThrough);
            room.pointer.setMousePointer(PointerSetting::Busy);
            room.running.run(room.commands.removeSelectedFile);
            room.running.run(room.commands.removeSelectedResult);
            room.running.run(room.commands.clearFileList);
            QCOMPARE(room.files.count(), 2);
            QCOMPARE(room.results.count(), 2);
            room.running.run(room.commands.clearResults);
            QCOMPARE(room.results.count(), 0);
        }
        QCOMPARE(room.pointer.mousePointer(), PointerSetting::Default);
        room.running.run(room.commands.removeSelectedFile);
        QCOMPARE(room.files.count(), 1);
    }

    void menuItemsApplyToWhatIsThereAndNeverRunInsideACommand()
    {
        Room room;
        QVERIFY(!room.commands.tickAll.applies());
        QVERIFY(!room.commands.copyFilePath.applies());
        room.results.add(QStringLiteral("/r"));
        room.files.add(QStringLiteral("/f"));
        QVERIFY(room.commands.tickAll.applies());
        QVERIFY(!room.commands.copyFilePath.applies());
        room.files.select(1);
        QVERIFY(room.commands.copyFilePath.applies());

        {
            const CommandScope scan(room.running, InputRule::LetThrough);
            room.running.runUnlessAnyRuns(room.commands.tickAll);
            room.running.runUnlessAnyRuns(room.commands.copyFilePath);
        }
        QVERIFY(!room.results.checked(1));
        QVERIFY(!room.test.clipboard.everSet);
        room.running.runUnlessAnyRuns(room.commands.tickAll);
        room.running.runUnlessAnyRuns(room.commands.copyFilePath);
        QVERIFY(room.results.checked(1));
        QCOMPARE(room.test.clipboard.text(), QStringLiteral("/f"));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(CommandsTest)
#include "test_commands.moc"
