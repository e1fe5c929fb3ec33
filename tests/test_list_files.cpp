#include "adding/file_to_listview1.h"
#include "adding/list_file_lines.h"
#include "support/adding_support.h"
#include "support/form_controls.h"
#include "support/test_main.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The rows ListFileLines gives for bytes handed over in pieces of the given size (0: at once).
QList<QByteArray> linesOf(const QByteArray& bytes, qsizetype piece = 0,
                          ListFileLines::RowEnds ends = ListFileLines::RowEnds::WindowLines)
{
    QList<QByteArray> rows;
    ListFileLines lines(
        [&](std::string_view row) { rows << QByteArray(row.data(), qsizetype(row.size())); }, ends);
    if (piece == 0) piece = qMax<qsizetype>(bytes.size(), 1);
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        const QByteArray part = bytes.mid(at, piece);
        lines.feed(std::string_view(part.constData(), std::size_t(part.size())));
    }
    lines.finish();
    return rows;
}

QByteArray utf16(const QString& text, bool little)
{
    QByteArray bytes(little ? "\xFF\xFE" : "\xFE\xFF");
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes += char(little ? unit & 0xFF : unit >> 8);
        bytes += char(little ? unit >> 8 : unit & 0xFF);
    }
    return bytes;
}

} // namespace

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
        clickControl(w.form, "PushButton3");
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

    // Where the last line feed ends the list, it makes no row; every other line still does.
    void aLastLineFeedCanEndTheList()
    {
        const auto ending = [](const QByteArray& bytes) {
            return linesOf(bytes, 1, ListFileLines::RowEnds::Lines);
        };
        QCOMPARE(ending("a\nb\n"), QList<QByteArray>({"a", "b"}));
        QCOMPARE(ending("a\n\n"), QList<QByteArray>({"a", ""}));
        QCOMPARE(ending("a\r\n\n"), QList<QByteArray>({"a", ""}));
        QCOMPARE(ending("\n"), QList<QByteArray>({""}));
        QCOMPARE(ending("a"), QList<QByteArray>({"a"}));
        QCOMPARE(ending("a\r\n"), QList<QByteArray>({"a"}));
    }

    // Names that end in NUL: every other byte is the name's, a mark and line ends too.
    void nulSeparatedNamesKeepEveryOtherByte()
    {
        const auto names = [](const QByteArray& bytes, qsizetype piece = 0) {
            return linesOf(bytes, piece, ListFileLines::RowEnds::Nul);
        };
        const QByteArray bytes("\xFF\xFE/a\r\nb\0\0/c\xE9\0\n", 15);
        QCOMPARE(names(bytes),
                 QList<QByteArray>({"\xFF\xFE/a\r\nb", "", "/c\xE9", "\n"})); // no NUL to end it
        for (qsizetype piece = 1; piece <= 9; ++piece)
            QCOMPARE(names(bytes, piece), names(bytes));
        QCOMPARE(names(QByteArray("a\0", 2)), QList<QByteArray>({"a"}));
        QCOMPARE(names(QByteArray(1, '\0')), QList<QByteArray>({""}));
        QCOMPARE(names(""), QList<QByteArray>());
        // Longer than a row may be: left out, as a line is.
        QCOMPARE(names(QByteArray(70000, 'x') + '\0' + "/short"), QList<QByteArray>({"/short"}));
    }

    void utf16ListsAreDecodedByTheirMark()
    {
        const QString lines = QStringLiteral("/caf\u00e9/a.txt\r\n\r\n/\U0001F600 b\nc\r\n");
        const QStringList rows = {QStringLiteral("/caf\u00e9/a.txt"), "",
                                  QStringLiteral("/\U0001F600 b"), "c"};
        const QByteArray little = utf16(lines, true), big = utf16(lines, false);
        QCOMPARE(rowsOf(little), rows);
        QCOMPARE(rowsOf(big), rows);
        // Their rows hold UTF-8, as every other road's do.
        AddingWindow w;
        w.test.dialogs.answerOpenFile({writeFile(path("le.txt"), little)});
        clickControl(w.form, "PushButton3");
        const std::string_view first = w.form.fileList().textUtf8(1);
        QCOMPARE(QByteArray(first.data(), qsizetype(first.size())),
                 QByteArray("/caf\xC3\xA9/a.txt"));
        // Without a mark a list stays UTF-8, whatever bytes it holds.
        QCOMPARE(rowsOf(QByteArray("\xFE/x\r\n")).size(), 1);
        QCOMPARE(rowsOf("/plain\r\n"), QStringList({"/plain"}));
    }

    // However the file arrives in pieces, the rows are those of the whole: a CR at the end of
    // one piece and its LF at the start of the next, a mark cut in two, half a UTF-16 code unit
    // or half a surrogate pair.
    void piecesOfAnySizeGiveTheRowsOfTheWhole()
    {
        const QString text =
            QStringLiteral("/caf\u00e9\r\n\r\n/\U0001F600\U0001F601 b\nc\rd\r\n\n");
        const QList<QByteArray> cases = {
            "a\r\n\r\nb",
            "a\r\nb\r\n",
            "a\nb\n",
            "a\rb\r",
            "a\n\rb\r\r\n",
            "\n",
            "",
            "\r",
            "\r\n",
            "\r\r\n\n",
            "\xEF\xBB\xBF/caf\xC3\xA9\r\n",
            "\xEF\xBB",
            "\xEF\xBB\xBF",
            "x\xEF\xBB\xBF",
            "\xFF\xFE",
            "\xFE\xFF",
            "\xFF",
            QByteArray("a\0b\r\n\0", 6),
            utf16(text, true),
            utf16(text, false),
            utf16(text, true) + "\x41", // half a code unit at the end
            utf16(QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("\r\nb"),
                  true), // half a pair
            utf16(QStringLiteral("a") + QChar(0xD83D), false),
            QByteArray(5000, 'x') + "\r\n/short"};
        for (const QByteArray& bytes : cases) {
            const QList<QByteArray> whole = linesOf(bytes);
            for (qsizetype piece = 1; piece <= 9; ++piece)
                QCOMPARE(linesOf(bytes, piece), whole);
        }
        QCOMPARE(linesOf("a\n\rb\r\r\n", 1), QList<QByteArray>({"a", "", "b", ""}));
        QCOMPARE(linesOf("\r\r\n\n"), QList<QByteArray>({"", "", "", ""}));
        QCOMPARE(linesOf("\xEF\xBB"), QList<QByteArray>({"\xEF\xBB"}));
        QCOMPARE(linesOf("\xFF\xFE"), QList<QByteArray>());
        QCOMPARE(linesOf(QByteArray("a\0b\r\n\0", 6)),
                 QList<QByteArray>({QByteArray("a\0b", 3), QByteArray(1, '\0')}));
        QCOMPARE(linesOf(utf16(text, false), 3),
                 QList<QByteArray>({"/caf\xC3\xA9", "", "/\xF0\x9F\x98\x80\xF0\x9F\x98\x81 b", "c",
                                    "d", "", ""}));
    }

    // The real loader reads 64 KiB at a time: the same rules hold where its buffers meet.
    void rowsAreWholeWhereTheReadsMeet()
    {
        constexpr qsizetype kBuffer = qsizetype(FileToListview1::kReadBufferBytes);
        // A CR as the first buffer's last byte, its LF the second's first.
        QByteArray crlf;
        QStringList crlfRows;
        while (crlf.size() + 100 <= kBuffer - 40) {
            crlf += QByteArray(99, 'a') + '\n';
            crlfRows << QString(99, u'a');
        }
        crlf += QByteArray(kBuffer - 1 - crlf.size(), 'b');
        crlfRows << QString(crlf.size() - crlfRows.size() * 100, u'b');
        crlf += "\r\n/after\n";
        QCOMPARE(crlf.indexOf('\r'), kBuffer - 1);
        crlfRows << "/after"
                 << "";
        QCOMPARE(rowsOf(crlf), crlfRows);

        // UTF-16: a surrogate pair, and then a CR LF, across a meeting of buffers each (the
        // mark takes the first unit).
        QString text;
        const auto fillTo = [&](qsizetype units) {
            while (text.size() + 6 <= units - 10)
                text += QStringLiteral("/row\r\n");
            text += QString(units - text.size(), u'c');
        };
        fillTo(kBuffer / 2 - 2);
        text += QStringLiteral("\U0001F600\r\n"); // its halves meet at the end
        fillTo(kBuffer - 2);
        text += QStringLiteral("\r\nlast");
        const QStringList utf16Rows = rowsOf(utf16(text, true));
        QCOMPARE(utf16Rows.size(), text.count(u'\r') + 1);
        QCOMPARE(utf16Rows, text.split(QStringLiteral("\r\n")));
        QCOMPARE(rowsOf(utf16(text, false)), utf16Rows);
    }

    void linesLongerThanAPathAreLeftOutWithOneBoxForTheFile()
    {
        const qsizetype longest = qsizetype(ListFileLines::kLongestRow);
        QCOMPARE(longest, 65536);
        const QByteArray kept(longest, 'k');
        const QString many = writeFile(path("many %3 %1.txt"),
                                       "/a\r\n" + QByteArray(70000, 'x') + "\r\n/b\n" + kept +
                                           "\n" + QByteArray(longest + 1, 'z') + "\r\n");
        const QString one = writeFile(path("one.txt"), "/c\r" + QByteArray(1 << 20, 'y'));
        const QString next = writeFile(path("next.txt"), "/d");
        AddingWindow w;
        w.test.dialogs.answerOpenFile({many, one, next});
        clickControl(w.form, "PushButton3");
        QCOMPARE(w.rows(), QStringList({"/a", "/b", QString::fromLatin1(kept), "/c", "/d"}));

        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(3)); // the dialog, one box for each file
        QCOMPARE(shown[1].text,
                 QStringLiteral("2 lines of %1 were left out, the first of them line 2: they are "
                                "longer than any path can be (more than 65536 bytes).")
                     .arg(many));
        QCOMPARE(shown[1].icon, BoxIcon::None);
        QCOMPARE(shown[1].title, w.test.dialogs.applicationTitle());
        QCOMPARE(shown[2].text, QStringLiteral("Line 2 of %1 was left out: it is longer than any "
                                               "path can be (more than 65536 bytes).")
                                    .arg(one));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    // A gigabyte of NULs without a line end (a sparse file, so the disk holds none of it), then
    // one more line: one box, the line after it, and held rounds all the way through.
    void aGigabyteOfOneLineLoadsWithOneBoxAndHeldRounds()
    {
        const QString huge = path("huge.txt");
        constexpr off_t kGigabyte = off_t(1) << 30;
        {
            const QByteArray native = QFile::encodeName(huge);
            const int fd = ::open(native.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::ftruncate(fd, kGigabyte), 0);
            QCOMPARE(::pwrite(fd, "\r\n/after\r\n", 10, kGigabyte), ssize_t(10));
            ::close(fd);
        }
        AddingWindow w;
        int boxesDuringRounds = 0;
        w.test.events.onWaitCall = [&] { boxesDuringRounds = int(w.test.dialogs.shown().size()); };
        w.test.dialogs.answerOpenFile({huge});
        clickControl(w.form, "PushButton3");
        QFile::remove(huge);

        QCOMPARE(w.rows(), QStringList({"/after"}));
        QCOMPARE(w.test.dialogs.texts().mid(1),
                 QStringList({QStringLiteral("Line 1 of %1 was left out: it is longer than any "
                                             "path can be (more than 65536 bytes).")
                                  .arg(huge)}));
        // A round for every buffer read, and the box only once the file was read.
        QVERIFY(w.test.events.waitCalls >= int(kGigabyte / FileToListview1::kReadBufferBytes));
        QCOMPARE(boxesDuringRounds, 1);
    }

    void severalListsLoadInTheDialogsOrder()
    {
        const QString second = writeFile(path("b-list.txt"), "/b1\r\n/b2");
        const QString first = writeFile(path("a-list.txt"), "/a1\n");
        AddingWindow w;
        QList<PointerSetting> pointers;
        w.test.dialogs.whileShown([&] { pointers << w.form.mousePointer(); });
        w.test.dialogs.answerOpenFile({second, first});
        clickControl(w.form, "PushButton3");
        QCOMPARE(w.rows(), QStringList({"/b1", "/b2", "/a1", ""}));

        const auto& box = w.test.dialogs.shown()[0];
        QCOMPARE(box.text,
                 QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"));
        QCOMPARE(box.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QVERIFY(box.multiSelect);
        QCOMPARE(pointers, QList<PointerSetting>({PointerSetting::Default}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        clickControl(w.form, "PushButton3"); // cancelled: nothing, and no box but the dialog
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
        clickControl(w.form, "PushButton3");
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
        clickControl(w.form, "PushButton3");
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
        clickControl(w.form, "PushButton3");
        QCOMPARE(w.test.dialogs.texts().last(), QStringLiteral("File not found"));
    }

    void aSelectionBeyondTheBufferIsAnErrorReport()
    {
        QStringList many;
        for (int i = 0; i < 320; ++i)
            many << writeFile(path(QString(95, u'l') + QString::number(i)), "/row");
        AddingWindow w;
        w.test.dialogs.answerOpenFile(many);
        clickControl(w.form, "PushButton3");
        QCOMPARE(w.form.fileList().count(), 0);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2));
        QVERIFY(w.test.dialogs.shown()[1].text.contains("PushButton3_Click at line 100"));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }
};

BYTEMARSH_TEST_MAIN(ListFilesTest)
#include "test_list_files.moc"
