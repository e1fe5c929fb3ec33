#include "adding/samples.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"
#include "ui/list_view.h"

#include <QPushButton>

namespace {

const QString kQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

QStringList writeSamples(const QString& programFolder, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names)
        paths << writeFile(programFolder + "/Samples/" + name, name.toUtf8());
    return paths;
}

// The stored record read back as the list of paths it holds.
QStringList recordedPaths(TestPlatform& test)
{
    const QByteArray scrambled = test.settings.read("Snapshot", QString()).toLatin1();
    return QString::fromUtf8(UnscrambleText(scrambled, kSampleScrambleKey, test.events))
        .split(u'|');
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList rows(RowList& list)
{
    return rowTexts(list);
}

} // namespace

class SamplesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }

    void scramblingRoundTripsEveryCode()
    {
        CountingEventPump events;
        QByteArray text;
        for (int code = 1; code <= 255; ++code)
            text += char(code);
        text += text; // twice, so every code meets several key positions
        const QByteArray key(kSampleScrambleKey);
        const QByteArray scrambled = ScrambleText(text, key, events);
        QCOMPARE(scrambled.size(), text.size());
        QVERIFY(!scrambled.contains('\0'));
        QCOMPARE(UnscrambleText(scrambled, key, events), text);
        QCOMPARE(events.calls, 2 * text.size()); // once per character, each way
    }

    void scramblingWrapsAtTwoHundredFiftyFive()
    {
        CountingEventPump events;
        // 'q' is 113: 143 + 113 = 256 becomes 1, and back.
        QCOMPARE(ScrambleText(QByteArray(1, char(143)), "q", events), QByteArray(1, '\x01'));
        QCOMPARE(UnscrambleText(QByteArray(1, '\x01'), "q", events), QByteArray(1, char(143)));
        QCOMPARE(ScrambleText("\xff", "\xff", events), QByteArray("\xff"));
        QCOMPARE(UnscrambleText("\xff", "\xff", events), QByteArray("\xff"));
        // The key starts over after its last letter.
        QCOMPARE(ScrambleText("AAAAAAAAAA", "quagmire", events),
                 QByteArray("\xb2\xb6\xa2\xa8\xae\xaa\xb3\xa6\xb2\xb6"));
    }

    void listContainsTextMatchesWholeTextsOnly()
    {
        TestPlatform test;
        Form1 form(test.platform());
        RowList& list = form.fileList();
        QVERIFY(!ListContainsText(list, "/a/b"));
        list.add("/a/b.txt");
        list.add("/a/B");
        QVERIFY(!ListContainsText(list, "/a/b"));
        QVERIFY(ListContainsText(list, "/a/B"));
        QVERIFY(ListContainsText(list, "/a/b.txt"));
    }

    void firstStartRecordsTheSamplesOnce()
    {
        TestPlatform test;
        const QStringList samples =
            writeSamples(test.programFolder(), {"one.txt", "two words.csv", ".hidden"});
        {
            Form1 form(test.platform());
            form.Form_Load();
        }
        const QString stored = test.settings.read("Snapshot", QString());
        QVERIFY(!stored.isEmpty());
        QVERIFY(!stored.contains(test.programFolder())); // not readable as it stands
        QCOMPARE(sorted(recordedPaths(test)), sorted(samples));
        QCOMPARE(stored.size(), samples.join(u'|').toUtf8().size());

        writeSamples(test.programFolder(), {"later.txt"});
        Form1 second(test.platform());
        second.Form_Load();
        QCOMPARE(test.settings.read("Snapshot", QString()), stored);
        QVERIFY(test.dialogs.shown().empty());
    }

    void withoutSamplesTheRecordStaysEmptyUntilThereAreSome()
    {
        TestPlatform test;
        {
            Form1 form(test.platform());
            form.Form_Load();
        }
        QCOMPARE(test.settings.read("Snapshot", "missing"), QString());
        const QStringList samples = writeSamples(test.programFolder(), {"a.txt"});
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(recordedPaths(test), samples);
    }

    void loadingTwiceAddsOnceAndAsksEachTime()
    {
        TestPlatform test;
        const QStringList samples = writeSamples(test.programFolder(), {"a.txt", "b.txt", "c.txt"});
        Form1 form(test.platform());
        form.Form_Load();
        form.fileList().add(samples[1]); // already listed by hand
        test.dialogs.answerMessage(AnswerNo);
        test.dialogs.answerMessage(AnswerYes);

        pushButton(form, "PushButton8")->click();
        QCOMPARE(form.fileList().count(), 3);
        QCOMPARE(sorted(rows(form.fileList())), sorted(samples));
        QVERIFY(test.shell.folders.isEmpty());

        pushButton(form, "PushButton8")->click();
        QCOMPARE(form.fileList().count(), 3);
        QCOMPARE(test.dialogs.shown().size(), std::size_t(2));
        for (const auto& box : test.dialogs.shown()) {
            QCOMPARE(box.text, kQuestion);
            QCOMPARE(box.buttons, BoxButtons::YesNo);
            QCOMPARE(box.icon, BoxIcon::None);
            QCOMPARE(box.title, QStringLiteral("Bytemarsh"));
        }
        QCOMPARE(test.shell.folders, QStringList{test.programFolder() + "/Samples/"});
        QVERIFY(test.shell.urls.isEmpty());
    }

    void aDeletedSampleIsLeftOut()
    {
        TestPlatform test;
        const QStringList samples = writeSamples(test.programFolder(), {"a.txt", "b.txt", "c.txt"});
        Form1 form(test.platform());
        form.Form_Load();
        QVERIFY(QFile::remove(samples[0]));
        pushButton(form, "PushButton8")->click();
        QCOMPARE(sorted(rows(form.fileList())), sorted(samples.mid(1)));
        QCOMPARE(test.dialogs.texts(), QStringList{kQuestion});
    }

    void withoutARecordNothingIsAddedButTheQuestionComes()
    {
        TestPlatform test;
        Form1 form(test.platform());
        form.run(form.commands().loadSampleFiles);
        QCOMPARE(form.fileList().count(), 0);
        QCOMPARE(test.dialogs.texts(), QStringList{kQuestion});
    }

    void namesBeyondAsciiSurviveTheSettingsFile()
    {
        TestPlatform test;
        const QStringList samples =
            writeSamples(test.programFolder(), {QStringLiteral("Schilf \u00e4 \u8466|.txt"),
                                                QStringLiteral("\u00ff\u00fe=;\"#,\\.bin")});
        BuildSampleSnapshot(test.programFolder(), test.settings, test.events);
        // A fresh store reads what the file holds, not what the last one kept in memory.
        QtSettingsStore fresh;
        QCOMPARE(fresh.read("Snapshot", QString()), test.settings.read("Snapshot", QString()));
        Form1 form(test.platform());
        form.run(form.commands().loadSampleFiles);
        // A "|" in a name splits its path; the name without one comes back whole.
        QCOMPARE(rows(form.fileList()), QStringList{samples[1]});
    }

    void theShippedSamplesLoad()
    {
        TestPlatform test;
        const QDir shipped(QStringLiteral(BYTEMARSH_SOURCE_DIR "/resources/Samples"));
        const QStringList names = shipped.entryList(QDir::Files);
        QVERIFY(names.size() >= 3);
        QVERIFY(QDir().mkpath(test.programFolder() + "/Samples"));
        for (const QString& name : names)
            QVERIFY(QFile::copy(shipped.filePath(name), test.programFolder() + "/Samples/" + name));
        Form1 form(test.platform());
        form.Form_Load();
        pushButton(form, "PushButton8")->click();
        QCOMPARE(form.fileList().count(), names.size());
    }
};

BYTEMARSH_TEST_MAIN(SamplesTest)
#include "test_samples.moc"
