#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "doubles/scripted_dialogs.h"
#include "lists/row_list.h"
#include "support/test_main.h"

class ErrorTrapTest : public QObject
{
    Q_OBJECT

private slots:
    void reportTextIsByteForByte()
    {
        const QString text = ErrorReporter::reportText(
            QStringLiteral("File not found"), QStringLiteral("Meterkin2021/08/31"),
            QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"), 130);
        QCOMPARE(text, QStringLiteral("File not found\r\nin Meterkin2021/08/31.Form1."
                                      "PushButton4_Click at line 130\r\rPlease email screenshot "
                                      "of this message to support@bytemarsh.example.com"));
    }

    void failedStatementIsReportedOnceAndTheProcedureGoesOn()
    {
        ScriptedDialogs dialogs;
        ErrorReporter reporter(dialogs);
        ErrorTrap trap(reporter, QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
        QStringList ran;
        QVERIFY(trap.line(100, [&] { ran << "100"; }));
        QVERIFY(!trap.line(102, [&] {
            throw RuntimeError(RuntimeError::PathNotFound, QStringLiteral("Path not found"));
        }));
        QVERIFY(!trap.line(104, [&] { throw std::runtime_error("plain failure"); }));
        QVERIFY(trap.line(106, [&] { ran << "106"; }));

        QCOMPARE(ran, QStringList({"100", "106"}));
        QCOMPARE(dialogs.shown().size(), std::size_t(2));
        const auto& box = dialogs.shown()[0];
        QCOMPARE(box.title, QStringLiteral("Application Error"));
        QCOMPARE(box.icon, BoxIcon::Exclamation);
        QCOMPARE(box.buttons, BoxButtons::Ok);
        QVERIFY(box.text.startsWith(QStringLiteral(
            "Path not found\r\nin Meterkin2021/08/31.Form1.PushButton6_Click at line 102\r\r")));
        QVERIFY(dialogs.shown()[1].text.startsWith(QStringLiteral("plain failure\r\n")));
        QVERIFY(dialogs.shown()[1].text.contains(QStringLiteral("at line 104\r\r")));
    }

    void aConditionThatFailsAnswersTrueSoTheGovernedStatementRuns()
    {
        ScriptedDialogs dialogs;
        ErrorReporter reporter(dialogs);
        ErrorTrap trap(reporter, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
        QVERIFY(!trap.test(104, [] { return false; }));
        QVERIFY(trap.test(104, [] { return true; }));
        QVERIFY(dialogs.shown().empty());
        QVERIFY(trap.test(
            104, []() -> bool { throw RuntimeError(53, QStringLiteral("File not found")); }));
        QCOMPARE(dialogs.shown().size(), std::size_t(1));
        QVERIFY(dialogs.shown()[0].text.contains(QStringLiteral("Form1.Form_Load at line 104")));
    }

    void otherProjectsNameThemselves()
    {
        ScriptedDialogs dialogs;
        ErrorReporter reporter(dialogs);
        ErrorTrap trap(reporter, QStringLiteral("AddFolder"),
                       QStringLiteral("GetSubDirectories2016"),
                       QStringLiteral("Pemberloft2021/08/31"));
        trap.line(118, [] { throw RuntimeError(5, QStringLiteral("Invalid procedure call")); });
        QVERIFY(dialogs.shown()[0].text.contains(QStringLiteral(
            "\r\nin Pemberloft2021/08/31.AddFolder.GetSubDirectories2016 at line 118\r\r")));
    }

    // From a run's second report on, the box offers to report no more; once ticked, the rest
    // of the run goes on unseen, and its end tells how many went unseen. Nested runs are part
    // of the outermost one; the next run, and reports outside any run, are seen again.
    void aRunCanSilenceItsOwnReportsAndTellsHowManyWentUnseen()
    {
        ScriptedDialogs dialogs;
        ErrorReporter reporter(dialogs);
        ErrorTrap trap(reporter, QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
        const auto fail = [&] {
            return trap.line(130, [] { throw RuntimeError(53, QStringLiteral("File not found")); });
        };
        const auto checkBoxes = [&] {
            QStringList labels;
            for (const auto& box : dialogs.shown())
                labels << box.checkBox;
            return labels;
        };
        const QString offer = QStringLiteral("Report no more errors of this run");

        fail();
        fail();
        QCOMPARE(checkBoxes(), QStringList({QString(), QString()}));

        dialogs.clearShown();
        reporter.runBegan();
        fail();
        reporter.runBegan();
        dialogs.tickNextCheckBox();
        QVERIFY(!fail());
        QVERIFY(!fail());
        reporter.runEnded();
        QVERIFY(!fail());
        QCOMPARE(checkBoxes(), QStringList({QString(), offer}));
        reporter.runEnded();
        QCOMPARE(dialogs.texts().last(),
                 QStringLiteral("2 more error reports of this run were not shown."));
        QCOMPARE(dialogs.shown().back().icon, BoxIcon::None);

        dialogs.clearShown();
        reporter.runBegan();
        fail();
        fail();
        dialogs.tickNextCheckBox();
        fail();
        fail();
        QCOMPARE(reporter.closingText(QStringLiteral("Done.")),
                 QStringLiteral("Done.\r\n\r\n1 more error report of this run was not shown."));
        reporter.runEnded();
        QCOMPARE(checkBoxes(), QStringList({QString(), offer, offer}));

        // Told once: the closing box said it, so the end adds no box; a run without unseen
        // reports closes as it always did.
        reporter.runBegan();
        fail();
        QCOMPARE(reporter.closingText(QStringLiteral("Done.")), QStringLiteral("Done."));
        reporter.runEnded();
        QCOMPARE(dialogs.shown().size(), std::size_t(4));
        QCOMPARE(dialogs.shown().back().checkBox, QString());
    }

    // A report names the row its statement worked on, as the list shows it, and only while the
    // statement works on it.
    void aReportNamesItsRowInTheDetails()
    {
        ScriptedDialogs dialogs;
        ErrorReporter reporter(dialogs);
        ErrorTrap trap(reporter, QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"));
        RowList files(1, false);
        files.add(QStringLiteral("/first"));
        files.addUtf8("/bad\xff name");
        const auto fail = [] { throw RuntimeError(53, QStringLiteral("File not found")); };
        for (int row = 1; row <= 2; ++row) {
            const ErrorTrap::OnRow onRow(trap, files, row);
            trap.line(130, fail);
        }
        trap.line(134, fail);

        QCOMPARE(dialogs.shown().size(), std::size_t(3));
        QCOMPARE(dialogs.shown()[0].details, QStringLiteral("/first"));
        QCOMPARE(dialogs.shown()[1].details, files.text(2));
        QVERIFY(dialogs.shown()[1].details.contains(QChar::ReplacementCharacter));
        QCOMPARE(dialogs.shown()[2].details, QString());
    }

    void errnoMapsToTheClassicNumbers()
    {
        QCOMPARE(RuntimeError::fromErrno(ENOENT).number(), 53);
        QCOMPARE(RuntimeError::fromErrno(EACCES).number(), 70);
        QCOMPARE(RuntimeError::fromErrno(ENOTDIR).number(), 76);
        QCOMPARE(RuntimeError::fromErrno(EIO).number(), 75);
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(ErrorTrapTest)
#include "test_error_trap.moc"
