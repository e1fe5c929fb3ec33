#include "core/error_trap.h"
#include "doubles/test_platform.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

    void aPipeOrDeviceIsReportedAtOnceAndNothingWaits()
    {
        QDir().mkpath(path(QStringLiteral("fifo")));
        const QString pipe = path(QStringLiteral("fifo/pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // Should the program wait for a reader, one comes after five seconds and the test fails
        // instead of hanging.
        std::atomic<bool> done{false}, hadToRead{false};
        std::thread reader([&] {
            for (int tick = 0; tick < 50 && !done; ++tick)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done) return;
            hadToRead = true;
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_RDONLY);
            char sink[4096];
            while (fd >= 0 && ::read(fd, sink, sizeof sink) > 0) {
            }
            if (fd >= 0) ::close(fd);
        });
        struct Join
        {
            std::atomic<bool>& done;
            std::thread& reader;
            ~Join()
            {
                done = true;
                reader.join();
            }
        } join{done, reader};

        for (const QString& target : {pipe, QStringLiteral("/dev/null")}) {
            Window w;
            w.addResult(QStringLiteral("/one"), QString());
            w.addResult(QStringLiteral("/two"), QString());
            w.test.dialogs.answerSaveFile(target);
            w.test.dialogs.answerMessage(AnswerYes); // it exists, so the question comes first
            QElapsedTimer clock;
            clock.start();
            w.form.PushButton6_Click();
            QVERIFY2(clock.elapsed() < 1000, qPrintable(target));
            QVERIFY(!hadToRead);
            const QStringList expected = {QStringLiteral("Save"),
                                          QStringLiteral("Are you sure you wish to overwrite ") +
                                              target + QStringLiteral(" ?"),
                                          report(QStringLiteral("Path/File access error"), 130),
                                          report(QStringLiteral("Bad file name or number"), 136),
                                          report(QStringLiteral("Bad file name or number"), 136)};
            QCOMPARE(w.test.dialogs.texts(), expected);
            QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        }
        QVERIFY(QFileInfo(pipe).exists());
        QCOMPARE(
            QDir(path(QStringLiteral("fifo"))).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList({QStringLiteral("pipe")}));
    }

    void aFailedSaveLeavesTheOldFileAndASuccessfulOneKeepsItsModeAndLink()
    {
        const QString old = writeFile(path(QStringLiteral("kept/old.txt")), "old results\r\n");
        QCOMPARE(::chmod(QFile::encodeName(old).constData(), 0640), 0);
        const QString out = path(QStringLiteral("kept-link.txt"));
        QVERIFY(QFile::link(QStringLiteral("kept/old.txt"), out));
        Window w;
        for (int row = 0; row < 200; ++row)
            w.addResult(
                QStringLiteral("/a rather long path, so that the rows fill a few kilobytes/%1")
                    .arg(row),
                QString());
        // The system refuses to let this process write files beyond 4 KiB, as a disk that fills
        // up in the middle of the save would.
        struct rlimit saved = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        w.form.PushButton6_Click();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        const auto filesBeside = [&] {
            return QDir(path(QStringLiteral("kept"))).entryList(QDir::Files | QDir::Hidden);
        };
        QCOMPARE(contentOf(out), QByteArray("old results\r\n"));
        QCOMPARE(filesBeside(), QStringList({QStringLiteral("old.txt")}));
        QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[1], QStringLiteral("Are you sure you wish to overwrite ") + out +
                               QStringLiteral(" ?"));
        QVERIFY2(texts[2].startsWith(QStringLiteral("Path/File access error (File too large)")) &&
                     texts[2].contains(QStringLiteral("at line 140")),
                 qPrintable(texts[2]));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        // With room again the file the link names is replaced, and keeps its mode.
        w.test.dialogs.clearShown();
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        w.form.PushButton6_Click();
        QCOMPARE(w.test.dialogs.texts().size(), 2);
        QVERIFY(QFileInfo(out).isSymLink());
        QVERIFY(contentOf(old).startsWith("/a rather long path"));
        QCOMPARE(contentOf(old).count('\n'), qsizetype(200));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(old).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(filesBeside(), QStringList({QStringLiteral("old.txt")}));
    }

    void aFullFileSystemLeavesTheOldFileAsItWas()
    {
        if (::geteuid() != 0) QSKIP("mounting a small file system to fill needs root");
        const QString mountPoint = path(QStringLiteral("small"));
        QDir().mkpath(mountPoint);
        const QByteArray where = QFile::encodeName(mountPoint);
        if (::mount("bytemarsh-test", where.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP(qPrintable(QStringLiteral("no tmpfs could be mounted here: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        struct Unmount
        {
            QByteArray where;
            ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
        } unmount{where};

        const QString out = writeFile(mountPoint + QStringLiteral("/old.txt"), "old results\r\n");
        // What is left of the file system, less than the new results need.
        QFile filler(mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(64 * 1024 - 16 * 1024, 'f'));
        filler.close();
        Window w;
        for (int row = 0; row < 1000; ++row)
            w.addResult(QStringLiteral("/results/row %1 of a list that no longer fits").arg(row),
                        QString());
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        w.form.PushButton6_Click();

        QCOMPARE(contentOf(out), QByteArray("old results\r\n"));
        QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("filler"), QStringLiteral("old.txt")}));
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts[2].startsWith(QStringLiteral("Path/File access error (No space left")) &&
                     texts[2].contains(QStringLiteral("at line 140")),
                 qPrintable(texts[2]));

        // With room again the same save replaces the file.
        QVERIFY(QFile::remove(filler.fileName()));
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        w.form.PushButton6_Click();
        QVERIFY(contentOf(out).startsWith("/results/row 0 of"));
        QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("old.txt")}));
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
