#include "core/error_trap.h"
#include "doubles/test_platform.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

namespace {

struct Window : LoadedWindow
{
    Window() {}

    void addResult(const QString& path, const QString& size)
    {
        const int row = form.resultsList().add(path);
        form.resultsList().setSubItem(row, 1, size);
    }
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
}

QString report(const QString& description, int line)
{
    return ErrorReporter::reportText(description, QStringLiteral("Meterkin2021/08/31"),
                                     QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"),
                                     line);
}

} // namespace

class TextExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { removeAllSettings(); }

    void threeRowsGiveTheirPathsOnePerLine()
    {
        Window w;
        w.addResult(QStringLiteral("/data/a.txt"), QStringLiteral("5 bytes"));
        w.addResult(QStringLiteral("/data/b c.bin"), QStringLiteral("1.5 KB"));
        w.addResult(QStringLiteral("/data/é/ü.txt"), QString());
        w.form.resultsList().setChecked(2, true);
        const QString out = path(QStringLiteral("three.txt"));
        w.test.dialogs.answerSaveFile(out);
        QList<PointerSetting> pointerWhileWriting;
        w.test.events.onCall = [&] { pointerWhileWriting << w.form.mousePointer(); };

        w.form.PushButton6_Click();

        QCOMPARE(contentOf(out), QByteArray("/data/a.txt\r\n/data/b c.bin\r\n"
                                            "/data/\xc3\xa9/\xc3\xbc.txt\r\n"));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::SaveFile);
        QCOMPARE(shown[0].text, QStringLiteral("Save"));
        QCOMPARE(shown[0].filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(pointerWhileWriting, QList<PointerSetting>(3, PointerSetting::Busy));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void anEmptyListGivesAnEmptyFileAndATypedNameKeepsItsForm()
    {
        Window w;
        const QString out = path(QStringLiteral("results"));
        w.test.dialogs.answerSaveFile(out);
        w.form.PushButton6_Click();
        QVERIFY(QFileInfo::exists(out));
        QCOMPARE(QFileInfo(out).size(), 0);
        QVERIFY(!QFileInfo::exists(out + QStringLiteral(".txt")));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(1));
    }

    void cancellingWritesNothing()
    {
        Window w;
        w.addResult(QStringLiteral("/x"), QString());
        w.form.setMousePointer(PointerSetting::Custom);
        w.form.PushButton6_Click(); // the dialog answers with the empty text
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(1));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Custom);
        QCOMPARE(w.test.events.calls, 0);
    }

    void anExistingFileIsReplacedOnlyAfterYes()
    {
        Window w;
        w.addResult(QStringLiteral("/new"), QStringLiteral("1 bytes"));
        const QString out = writeFile(path(QStringLiteral("old.txt")), "old content\r\nsecond\r\n");
        const QString question =
            QStringLiteral("Are you sure you wish to overwrite ") + out + QStringLiteral(" ?");

        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerNo);
        w.form.PushButton6_Click();
        QCOMPARE(contentOf(out), QByteArray("old content\r\nsecond\r\n"));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[1].text, question);
        QCOMPARE(shown[1].buttons, BoxButtons::YesNo);
        QCOMPARE(shown[1].icon, BoxIcon::None);
        QCOMPARE(shown[1].title, w.test.dialogs.applicationTitle());
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        QCOMPARE(w.test.events.calls, 0);

        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        w.form.PushButton6_Click();
        QCOMPARE(contentOf(out), QByteArray("/new\r\n"));
        QCOMPARE(w.test.dialogs.texts().last(), question);
    }

    void aFileThatCannotBeCreatedIsReportedThenEachRow()
    {
        Window w;
        w.addResult(QStringLiteral("/one"), QString());
        w.addResult(QStringLiteral("/two"), QString());
        const QString out = path(QStringLiteral("nowhere/out.txt"));
        w.test.dialogs.answerSaveFile(out);
        QList<PointerSetting> pointerDuringReports;
        w.test.dialogs.whileShown([&] { pointerDuringReports << w.form.mousePointer(); });

        w.form.PushButton6_Click();

        const QStringList expected = {QStringLiteral("Save"),
                                      report(QStringLiteral("Path not found"), 130),
                                      report(QStringLiteral("Bad file name or number"), 136),
                                      report(QStringLiteral("Bad file name or number"), 136)};
        QCOMPARE(w.test.dialogs.texts(), expected);
        QCOMPARE(w.test.dialogs.shown()[1].title, QStringLiteral("Application Error"));
        QCOMPARE(w.test.dialogs.shown()[1].icon, BoxIcon::Exclamation);
        QCOMPARE(pointerDuringReports.mid(1), QList<PointerSetting>(3, PointerSetting::Busy));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        QVERIFY(!QFileInfo::exists(out));
    }

    void aFolderInPlaceOfTheFileIsReported()
    {
        Window w;
        QDir().mkpath(path(QStringLiteral("folder")));
        w.test.dialogs.answerSaveFile(path(QStringLiteral("folder")));
        w.test.dialogs.answerMessage(AnswerYes); // it exists, so the question comes first
        w.form.PushButton6_Click();
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts[2].contains(QStringLiteral("PushButton6_Click at line 130")));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void rowsRemovedWhileWritingFailOnTheirOwnLine()
    {
        Window w;
        for (const char* name : {"/a", "/b", "/c"})
            w.addResult(QString::fromLatin1(name), {});
        const QString out = path(QStringLiteral("shrinking.txt"));
        w.test.dialogs.answerSaveFile(out);
        // A click on "Clear List" that arrives while the first row is written.
        w.test.events.onCall = [&] {
            if (w.test.events.calls == 2) w.form.resultsList().clear();
        };
        w.form.PushButton6_Click();
        QCOMPARE(contentOf(out), QByteArray("/a\r\n"));
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[1], report(QStringLiteral("Index out of bounds"), 136));
        QCOMPARE(texts[2], texts[1]);
    }
};

BYTEMARSH_TEST_MAIN(TextExportTest)
#include "test_text_export.moc"
