#include "commands/running_commands.h"
#include "core/error_trap.h"
#include "core/list_editing.h"
#include "desktop/single_instance.h"
#include "doubles/test_platform.h"
#include "platform/gui/window_event_pump.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"
#include "ui/progress_line.h"

#include <QApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

namespace {

// The window on the test platform, but with the real rounds: held rounds by the clock, and the
// user's input discarded by the filter while a command holds it.
struct RealRoundsWindow
{
    explicit RealRoundsWindow(int waitIntervalMs = EventPump::kWaitRoundMs) : events(waitIntervalMs)
    {
        events.setWindow(&form);
        loadAndShow(form);
        test.dialogs.clearShown();
    }

    TestPlatform test;
    WindowEventPump events;
    Platform platform{test.dialogs,     test.settings,  test.shell,
                      test.fileManager, test.clipboard, test.platform().spreadsheet,
                      events,           test.random,    test.programFolder()};
    Form1 form{platform};
};

// What a drag from the file manager carries.
std::unique_ptr<QMimeData> draggedPaths(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// Drags paths over the file list and drops them there; true when the list took them.
bool dropOnFileList(Form1& form, const QStringList& paths)
{
    QWidget* target = listWidget(form, "ListView1")->viewport();
    const auto data = draggedPaths(paths);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

int rowsUnder(const RowList& list, const QString& folder)
{
    const QByteArray prefix = (folder + u'/').toUtf8();
    int rows = 0;
    for (int row = 1; row <= list.count(); ++row)
        rows += list.textUtf8(row).starts_with(std::string_view(prefix.constData())) ? 1 : 0;
    return rows;
}

void fillFileList(Form1& form, const QString& path, int rows)
{
    for (int row = 0; row < rows; ++row)
        form.fileList().add(path);
}

} // namespace

class LongCommandsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    // The line's words, numbers grouped as the reader's locale groups them.
    void theProgressLineSaysHowFarInTheUsersNumbers()
    {
        using Work = Progress::Work;
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        const Progress::State scan{Work::Scanning, Progress::Place::FileList, 120000, 0, 4000};
        QCOMPARE(ProgressLine::text(scan, english),
                 QStringLiteral("Scanning: 4,000 folders, 120,000 files found"));
        const Progress::State check{Work::Checking, Progress::Place::Results, 120000, 1000000, 0};
        QCOMPARE(ProgressLine::text(check, german),
                 QStringLiteral("Checking 120.000 of 1.000.000"));
        const Progress::State save{Work::Saving, Progress::Place::Results, 500000, 1000000, 0};
        QCOMPARE(ProgressLine::text(save, english),
                 QStringLiteral("Saving 500,000 of 1,000,000 rows"));
        QCOMPARE(ProgressLine::stoppedText({Work::Checking, Progress::Place::Results, 312, 1500, 0},
                                           english),
                 QStringLiteral("Stopped: 312 of 1,500 checked"));
        QVERIFY(ProgressLine::stoppedText(scan, english).isEmpty());
    }

    // A command inside another gives the outer one's progress back when it ends; only the
    // outermost end is announced.
    void anInnerCommandsProgressGivesWayToTheOuterOne()
    {
        Progress progress;
        int begun = 0, ended = 0;
        QObject::connect(&progress, &Progress::begun, [&] { ++begun; });
        QObject::connect(&progress, &Progress::ended, [&](const Progress::State&) { ++ended; });
        {
            const Progress::Stage scan(progress, Progress::Work::Scanning,
                                       Progress::Place::FileList);
            progress.setDone(7);
            {
                const Progress::Stage copy(progress, Progress::Work::Copying,
                                           Progress::Place::Results, 10);
                progress.setDone(3);
                QCOMPARE(progress.state().work, Progress::Work::Copying);
            }
            QCOMPARE(progress.state().work, Progress::Work::Scanning);
            QCOMPARE(progress.state().done, qint64(7));
            QCOMPARE(ended, 0);
        }
        QVERIFY(!progress.running());
        QCOMPARE(begun, 1);
        QCOMPARE(ended, 1);
    }

    void init() { removeAllSettings(); }

    void whatComesFromOutsideWaitsForTheLastCommandAndNothingNestsInAHeldOne()
    {
        CountingEventPump events;
        PlainPointer pointer;
        ScriptedDialogs dialogs;
        ErrorReporter errors(dialogs);
        RunningCommands running(events, pointer, errors);
        QStringList happened;
        running.whenIdle([&] { happened << QStringLiteral("at once"); });
        QCOMPARE(happened, QStringList({"at once"}));

        {
            const CommandScope outer(running, InputRule::LetThrough);
            QVERIFY(!outer.refused());
            QCOMPARE(events.holds, 0);
            // The first waiting action starts a command of its own: the second waits for it.
            running.whenIdle([&] {
                const CommandScope command(running, InputRule::LetThrough);
                happened << QStringLiteral("first");
                QCoreApplication::processEvents();
                happened << QStringLiteral("first ends");
            });
            running.whenIdle([&] { happened << QStringLiteral("second"); });
            {
                const CommandScope inner(running, InputRule::Held);
                QVERIFY(!inner.refused()); // a person may start one during a scan's rounds
                QCOMPARE(events.holds, 1);
                const CommandScope nested(running, InputRule::LetThrough);
                QVERIFY(nested.refused());
                QCOMPARE(events.holds, 1);
            }
            QCOMPARE(events.holds, 0);
            pointer.setMousePointer(PointerSetting::Busy);
            QCoreApplication::processEvents();
            QCOMPARE(happened.size(), 1);
        }
        QCOMPARE(pointer.mousePointer(), PointerSetting::Default); // never left looking busy
        QCOMPARE(happened.size(), 1); // not inside the handler that just ended
        QTRY_COMPARE(happened, QStringList({"at once", "first", "first ends", "second"}));
    }

    void aCheckRepaintsAndDiscardsWhatThePersonDoesMeanwhile()
    {
        const QString file = writeFile(path(QStringLiteral("one.bin")), "abc");
        const QString folder = path(QStringLiteral("dropped"));
        QDir().mkpath(folder + QStringLiteral("/sub"));
        writeFile(folder + QStringLiteral("/a.txt"), "a");
        writeFile(folder + QStringLiteral("/sub/b.txt"), "b");

        RealRoundsWindow w(5);
        constexpr int kRows = 200000;
        fillFileList(w.form, file, kRows);
        int rowsAtFirstRound = -1;
        bool dragTaken = true;
        QTimer::singleShot(0, &w.form, [&] {
            rowsAtFirstRound = w.form.resultsList().count();
            QTest::mouseClick(pushButton(w.form, "PushButton9"),
                              Qt::LeftButton); // Clear List (results)
            QTest::keyClick(listWidget(w.form, "ListView2"), Qt::Key_Delete);
            dragTaken = dropOnFileList(w.form, {folder});
            w.form.addGivenPaths({QFile::encodeName(folder)}); // a later start's hand-over
        });
        QTest::mouseClick(pushButton(w.form, "PushButton4"), Qt::LeftButton); // Start Checking

        // The first round came while the check was under way, though no size kept it waiting.
        QVERIFY2(rowsAtFirstRound > 0 && rowsAtFirstRound < kRows,
                 qPrintable(QString::number(rowsAtFirstRound)));
        QVERIFY(!dragTaken);
        QVERIFY(w.events.filter().discarded() >= 3);
        QCOMPARE(w.form.resultsList().count(), kRows);
        QCOMPARE(w.test.dialogs.texts(), QStringList({"Done."}));
        // The hand-over comes in once the check has ended; the discarded clicks never do.
        QCOMPARE(w.form.fileList().count(), kRows);
        QTRY_COMPARE(w.form.fileList().count(), kRows + 2);
        QCOMPARE(w.form.resultsList().count(), kRows);

        // With the check over, the same actions are taken again.
        QVERIFY(dropOnFileList(w.form, {folder}));
        QCOMPARE(w.form.fileList().count(), kRows + 4);
        QTest::mouseClick(pushButton(w.form, "PushButton9"), Qt::LeftButton);
        QCOMPARE(w.form.resultsList().count(), 0);
    }

    void boxesStayUsableWhileTheWindowHoldsInput()
    {
        RealRoundsWindow w;
        w.form.resultsList().add(QStringLiteral("kept"));
        w.events.holdInput();
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("text"),
                        QMessageBox::Ok, &w.form);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
        QCOMPARE(box.result(), int(QMessageBox::Ok));
        QTest::mouseClick(pushButton(w.form, "PushButton9"), Qt::LeftButton);
        QCOMPARE(w.form.resultsList().count(), 1);
        w.events.releaseInput();
        QTest::mouseClick(pushButton(w.form, "PushButton9"), Qt::LeftButton);
        QCOMPARE(w.form.resultsList().count(), 0);
    }

    // Should anything ever change the list during a check, the workers still read live memory:
    // the address sanitizer build proves it.
    void aCheckReadsItsRowsSafelyWhateverBecomesOfTheList()
    {
        const QString file = writeFile(path(QString(200, u'n')), "abc");
        LoadedWindow w;
        constexpr int kRows = 60000; // 12 MB of text: removing it all rebuilds the list's store
        fillFileList(w.form, file, kRows);
        bool emptied = false;
        w.test.events.onWaitCall = [&] {
            if (emptied) return;
            emptied = true;
            RemoveRowsContaining(w.form.fileList(), QStringLiteral("n"));
            w.form.fileList().add(QString(300, u'x'));
        };
        clickControl(w.form, "PushButton4");
        QVERIFY(emptied);
        QCOMPARE(w.form.resultsList().count(), kRows);
        QCOMPARE(w.form.resultsList().subItem(1, 1), QStringLiteral("3 bytes"));
        QCOMPARE(w.test.dialogs.texts().last(), QStringLiteral("Done."));
    }

    // Scans and checks in turn, with clicks, drops and hand-overs at random moments: a scan lets
    // every click in, even while it waits on its readers, and a check lets none in; whatever
    // runs inside a scan leaves the rows the outer command reads alone (the address sanitizer
    // build runs this too).
    void clicksDropsAndHandOversAtRandomTimesDuringFiftyScansAndFiftyChecks()
    {
        const QString file = writeFile(path(QStringLiteral("sized.bin")), "abcd");
        const QString dropped = path(QStringLiteral("dropped"));
        QDir().mkpath(dropped);
        writeFile(dropped + QStringLiteral("/x.txt"), "x");
        writeFile(dropped + QStringLiteral("/y.txt"), "y");
        const QString scanned = path(QStringLiteral("scanned"));
        constexpr int kScannedFolders = 60;
        for (int folder = 0; folder < kScannedFolders; ++folder) {
            QDir().mkpath(scanned + QStringLiteral("/%1").arg(folder));
            writeFile(scanned + QStringLiteral("/%1/f.txt").arg(folder), "f");
        }
        const QString socket = path(QStringLiteral("hand-over"));

        RealRoundsWindow w(1);
        InstanceServer server;
        QVERIFY(server.listen(socket));
        connect(&server, &InstanceServer::pathsReceived, &w.form,
                [&](const QByteArrayList& paths) { w.form.addGivenPaths(paths); });
        fillFileList(w.form, file, 2000);

        // Later starts, each handing over one file at a random moment.
        QProcess laterStarts;
        laterStarts.start(QStringLiteral(HANDOVER_PROBE),
                          {socket, file, QStringLiteral("60"), QStringLiteral("15")});
        QVERIFY(laterStarts.waitForStarted());

        int droppedFiles = 0;
        bool commandRuns = false; // the person acts only while one does
        const auto act = [&] {
            if (!commandRuns) return;
            switch (QRandomGenerator::global()->bounded(5)) {
            case 0:
                QTest::mouseClick(pushButton(w.form, "PushButton9"), Qt::LeftButton);
                break;
            case 1:
                QTest::mouseClick(pushButton(w.form, "PushButton11"), Qt::LeftButton);
                break;
            case 2:
                QTest::mouseClick(radioButton(w.form, "Option2"), Qt::LeftButton);
                break;
            case 3:
                w.form.fileList().select(1);
                QTest::mouseDClick(listWidget(w.form, "ListView1")->viewport(), Qt::LeftButton, {},
                                   w.form.fileListView()
                                       .widget()
                                       ->visualRect(w.form.fileList().model().index(0, 0))
                                       .center());
                break;
            default:
                if (dropOnFileList(w.form, {dropped})) droppedFiles += 2;
            }
        };
        for (int round = 0; round < 100; ++round) {
            QTimer person;
            connect(&person, &QTimer::timeout, &w.form, act);
            person.start(QRandomGenerator::global()->bounded(3));
            QCoreApplication::processEvents(); // what came between two commands goes in
            const bool scan = round % 2 == 0;
            droppedFiles = 0;
            const int files = w.form.fileList().count();
            const int results = w.form.resultsList().count();
            const int discarded = w.events.filter().discarded();
            const int scannedBefore = rowsUnder(w.form.fileList(), scanned);
            if (scan) {
                radioButton(w.form, "Option1")->click();
                w.test.dialogs.answerInput(QStringLiteral("txt"));
                w.test.dialogs.answerFolder(scanned);
                commandRuns = true;
                clickControl(w.form, "PushButton10");
                commandRuns = false;
                QCOMPARE(w.events.filter().discarded(), discarded); // not one click lost
                // Every file of the tree went in, and the file list's Clear and the
                // double-click found the window busy, so nothing went out.
                QCOMPARE(rowsUnder(w.form.fileList(), scanned) - scannedBefore, kScannedFolders);
                QVERIFY(w.form.fileList().count() >= files + kScannedFolders + droppedFiles);
            } else {
                commandRuns = true;
                clickControl(w.form, "PushButton4");
                commandRuns = false;
                QCOMPARE(w.form.resultsList().count() - results, files); // every row, once
                QCOMPARE(w.form.fileList().count(), files);
            }
        }
        while (laterStarts.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCOMPARE(laterStarts.exitCode(), 0);
        QVERIFY(laterStarts.readAllStandardOutput().trimmed().toInt() > 0);
        server.close();
    }
};

BYTEMARSH_TEST_MAIN(LongCommandsTest)
#include "test_long_commands.moc"
