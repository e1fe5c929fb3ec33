#include "adding/file_to_listview1.h"
#include "support/adding_support.h"
#include "support/test_main.h"

#include <sys/stat.h>

class ListFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The rows one list file gives on its own.
    QStringList rowsOf(const QByteArray& bytes)
    {
        static int round = 0;
        const QString list = writeFile(path(QStringLiteral("list%1.txt").arg(++round)), bytes);
        AddingWindow w;
        w.test.dialogs.answerOpenFile({list});
        w.form.PushButton3_Click();
        return w.rows();
    }

private slots:
    void init() { removeAllSettings(); }

    void everyLineEndingGivesOneRowPerLine()
    {
        QCOMPARE(rowsOf("a\r\n\r\nb"), QStringList({"a", "", "b"}));
        QCOMPARE(rowsOf("a\r\nb\r\n"), QStringList({"a", "b"})); // no extra row
        QCOMPARE(rowsOf("a\nb\n"), QStringList({"a", "b", ""})); // one extra row
        QCOMPARE(rowsOf("a\rb\r"), QStringList({"a", "b"}));
        QCOMPARE(rowsOf("a\n\rb\r\r\n"), QStringList({"a", "", "b", ""}));
        QCOMPARE(rowsOf("\n"), QStringList({"", ""}));
        QCOMPARE(rowsOf(""), QStringList());
        QCOMPARE(rowsOf("  /spaced/path \t\r\n/same\r\n/same"),
                 QStringList({"  /spaced/path \t", "/same", "/same"}));
        QCOMPARE(rowsOf("\xEF\xBB\xBF/caf\xC3\xA9\r\n"),
                 QStringList({QStringLiteral("/caf\u00e9")}));
        QCOMPARE(rowsOf("x\xEF\xBB\xBF"), QStringList({QStringLiteral("x\uFEFF")})); // not leading
    }

    void utf16ListsAreDecodedByTheirMark()
    {
        const QString lines = QStringLiteral("/caf\u00e9/a.txt\r\n\r\n/\U0001F600 b\nc\r\n");
        const QStringList rows = {QStringLiteral("/caf\u00e9/a.txt"), "",
                                  QStringLiteral("/\U0001F600 b"), "c"};
        QByteArray little("\xFF\xFE"), big("\xFE\xFF");
        for (const QChar c : lines) {
            const char16_t unit = c.unicode();
            little += char(unit & 0xFF);
            little += char(unit >> 8);
            big += char(unit >> 8);
            big += char(unit & 0xFF);
        }
        QCOMPARE(rowsOf(little), rows);
        QCOMPARE(rowsOf(big), rows);
        // Their rows hold UTF-8, as every other road's do.
        AddingWindow w;
        w.test.dialogs.answerOpenFile({writeFile(path("le.txt"), little)});
        w.form.PushButton3_Click();
        const std::string_view first = w.form.fileList().textUtf8(1);
        QCOMPARE(QByteArray(first.data(), qsizetype(first.size())),
                 QByteArray("/caf\xC3\xA9/a.txt"));
        // Without a mark a list stays UTF-8, whatever bytes it holds.
        QCOMPARE(rowsOf(QByteArray("\xFE/x\r\n")).size(), 1);
        QCOMPARE(rowsOf("/plain\r\n"), QStringList({"/plain"}));
    }

    void severalListsLoadInTheDialogsOrder()
    {
        const QString second = writeFile(path("b-list.txt"), "/b1\r\n/b2");
        const QString first = writeFile(path("a-list.txt"), "/a1\n");
        AddingWindow w;
        QList<PointerSetting> pointers;
        w.test.dialogs.whileShown([&] { pointers << w.form.mousePointer(); });
        w.test.dialogs.answerOpenFile({second, first});
        w.form.PushButton3_Click();
        QCOMPARE(w.rows(), QStringList({"/b1", "/b2", "/a1", ""}));

        const auto& box = w.test.dialogs.shown()[0];
        QCOMPARE(box.text,
                 QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"));
        QCOMPARE(box.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QVERIFY(box.multiSelect);
        QCOMPARE(pointers, QList<PointerSetting>({PointerSetting::Default}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        w.form.PushButton3_Click(); // cancelled: nothing, and no box but the dialog
        QCOMPARE(w.form.fileList().count(), 4);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2));
    }

    void aListThatIsNoPlainFileIsRefusedNotRead()
    {
        // A pipe would block the window for ever and a device could fill the memory.
        const QString pipe = path("pipe.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        AddingWindow w;
        w.test.dialogs.answerOpenFile({pipe, "/dev/zero"});
        w.form.PushButton3_Click();
        QCOMPARE(w.rows(), QStringList());
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(3)); // the dialog, two reports
        QVERIFY(w.test.dialogs.shown()[1].text.startsWith("Path/File access error\r\n"));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aMissingOrUnreadableListIsReportedAndTheNextOneLoads()
    {
        const QString good = writeFile(path("good.txt"), "/g");
        makeFolder(path("afolder"));
        AddingWindow w;
        QList<PointerSetting> pointers;
        w.test.dialogs.whileShown([&] { pointers << w.form.mousePointer(); });
        w.test.dialogs.answerOpenFile({path("afolder"), path("gone.txt"), good});
        w.form.PushButton3_Click();
        QCOMPARE(w.rows(), QStringList({"/g"}));

        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(3));
        QCOMPARE(shown[1].title, QStringLiteral("Application Error"));
        QVERIFY(shown[1].text.contains(
            QStringLiteral("\r\nin Meterkin2021/08/31.Form1.PushButton3_Click at line 108\r\r")));
        QCOMPARE(shown[2].text, QStringLiteral("File not found"));
        QCOMPARE(shown[2].icon, BoxIcon::None);
        QCOMPARE(shown[2].title, w.test.dialogs.applicationTitle());
        QCOMPARE(pointers.mid(1),
                 QList<PointerSetting>({PointerSetting::Busy, PointerSetting::Busy}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        // One chosen file that is missing.
        w.test.dialogs.clearShown();
        w.test.dialogs.answerOpenFile({path("gone.txt")});
        w.form.PushButton3_Click();
        QCOMPARE(w.test.dialogs.texts().last(), QStringLiteral("File not found"));
    }

    void aSelectionBeyondTheBufferIsAnErrorReport()
    {
        QStringList many;
        for (int i = 0; i < 320; ++i)
            many << writeFile(path(QString(95, u'l') + QString::number(i)), "/row");
        AddingWindow w;
        w.test.dialogs.answerOpenFile(many);
        w.form.PushButton3_Click();
        QCOMPARE(w.form.fileList().count(), 0);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2));
        QVERIFY(w.test.dialogs.shown()[1].text.contains("PushButton3_Click at line 100"));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }
};

BYTEMARSH_TEST_MAIN(ListFilesTest)
#include "test_list_files.moc"
