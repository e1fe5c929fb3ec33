#include "core/error_trap.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/saving_support.h"
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

QString report(const QString& description, int line)
{
    return ErrorReporter::reportText(description, QStringLiteral("Meterkin2021/08/31"),
                                     QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"),
                                     line);
}

QString question(const QString& path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

// The rows the probe writes, as they land in the file.
QByteArray probeRows(int rows)
{
    QByteArray text;
    for (int row = 1; row <= rows; ++row)
        text += "/results/row " + QByteArray::number(row) + " of the probe's list\r\n";
    return text;
}

QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

const passwd* nobody()
{
    return ::getpwnam("nobody");
}

// An access ACL that also lets `reader` read: user::rw- user:reader:r-- group::r-- mask::r--
// other::r--, in the kernel's own xattr form.
QByteArray aclLettingRead(uid_t reader)
{
    QByteArray acl;
    const auto put32 = [&](quint32 value) {
        for (int shift = 0; shift < 32; shift += 8)
            acl += char((value >> shift) & 0xff);
    };
    const auto entry = [&](quint16 tag, quint16 permissions, quint32 id) {
        acl += char(tag & 0xff);
        acl += char(tag >> 8);
        acl += char(permissions & 0xff);
        acl += char(permissions >> 8);
        put32(id);
    };
    put32(2); // the format's version
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, reader);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 4, quint32(-1));
    return acl;
}

} // namespace

class TextExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<ThrowawayUser> saver_; // saves as an ordinary user would; root only
    bool saverReaches_ = false;
    QString path(const QString& name) const { return dir_.filePath(name); }

    // A folder like /tmp: everyone may add names, only their owners remove them.
    QString sharedFolder(const QString& name) const
    {
        const QString folder = path(name);
        QDir().mkpath(folder);
        ::chmod(native(folder).constData(), 01777);
        return folder;
    }

    // A folder the saver owns, beside the rest.
    QString saversFolder(const QString& name) const
    {
        const QString folder = path(name);
        QDir().mkpath(folder);
        if (::chown(native(folder).constData(), saver_->uid(), saver_->gid()) != 0)
            qFatal("cannot give %s to the saver", qPrintable(folder));
        return folder;
    }

    bool haveSaver() const { return saver_ && saver_->exists() && saverReaches_; }
    QString noSaver() const
    {
        return ::geteuid() != 0 ? QStringLiteral("needs root, to save as another user")
                                : QStringLiteral("no user to save as: ") + saver_->whyNot();
    }

private slots:
    void initTestCase()
    {
        // Other users must reach the folders inside.
        QCOMPARE(::chmod(native(dir_.path()).constData(), 0755), 0);
        if (::geteuid() == 0) saver_ = std::make_unique<ThrowawayUser>();
        if (saver_ && saver_->exists())
            saverReaches_ = saver_->reaches({QStringLiteral(SAVE_PROBE), dir_.path()});
    }

    void cleanupTestCase() { saver_.reset(); }

    void init() { removeAllSettings(); }

    void threeRowsGiveTheirPathsOnePerLine()
    {
        Window w;
        w.addResult(QStringLiteral("/data/a.txt"), QStringLiteral("5 bytes"));
        w.addResult(QStringLiteral("/data/b c.bin"), QStringLiteral("1.5 KB"));
        w.addResult(QStringLiteral("/data/é/ü.txt"), QString());
        w.form.resultsList().setChecked(2, true);
        QDir().mkpath(path(QStringLiteral("new")));
        const QString out = path(QStringLiteral("new/three.txt"));
        w.test.dialogs.answerSaveFile(out);
        QList<PointerSetting> pointerWhileWriting;
        w.test.events.onCall = [&] { pointerWhileWriting << w.form.mousePointer(); };

        clickControl(w.form, "PushButton6");

        QCOMPARE(contentOf(out), QByteArray("/data/a.txt\r\n/data/b c.bin\r\n"
                                            "/data/\xc3\xa9/\xc3\xbc.txt\r\n"));
        // A new file gets what any new file gets there.
        const mode_t umask = ::umask(0);
        ::umask(umask);
        QCOMPARE(statOf(out).st_mode & 07777, 0666 & ~umask);
        QCOMPARE(statOf(out).st_uid, ::geteuid());
        QCOMPARE(namesIn(path(QStringLiteral("new"))), QStringList({QStringLiteral("three.txt")}));
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
        clickControl(w.form, "PushButton6");
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
        clickControl(w.form, "PushButton6"); // the dialog answers with the empty text
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
        clickControl(w.form, "PushButton6");
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
        clickControl(w.form, "PushButton6");
        QCOMPARE(contentOf(out), QByteArray("/new\r\n"));
        QCOMPARE(w.test.dialogs.texts().last(), question);
    }

    void aFileThatCannotBeCreatedIsReportedOnceAndTheCommandEnds()
    {
        Window w;
        w.addResult(QStringLiteral("/one"), QString());
        w.addResult(QStringLiteral("/two"), QString());
        const QString out = path(QStringLiteral("nowhere/out.txt"));
        w.test.dialogs.answerSaveFile(out);
        QList<PointerSetting> pointerDuringReports;
        w.test.dialogs.whileShown([&] { pointerDuringReports << w.form.mousePointer(); });

        clickControl(w.form, "PushButton6");

        const QStringList expected = {QStringLiteral("Save"),
                                      report(QStringLiteral("Path not found"), 130)};
        QCOMPARE(w.test.dialogs.texts(), expected);
        QCOMPARE(w.test.dialogs.shown()[1].title, QStringLiteral("Application Error"));
        QCOMPARE(w.test.dialogs.shown()[1].icon, BoxIcon::Exclamation);
        QCOMPARE(pointerDuringReports.mid(1), QList<PointerSetting>(1, PointerSetting::Busy));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        QCOMPARE(w.test.events.calls, 0);
        QVERIFY(!QFileInfo::exists(out));
    }

    void aFolderInPlaceOfTheFileIsReported()
    {
        Window w;
        QDir().mkpath(path(QStringLiteral("folder")));
        w.test.dialogs.answerSaveFile(path(QStringLiteral("folder")));
        w.test.dialogs.answerMessage(AnswerYes); // it exists, so the question comes first
        clickControl(w.form, "PushButton6");
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
            clickControl(w.form, "PushButton6");
            QVERIFY2(clock.elapsed() < 1000, qPrintable(target));
            QVERIFY(!hadToRead);
            const QStringList expected = {QStringLiteral("Save"),
                                          QStringLiteral("Are you sure you wish to overwrite ") +
                                              target + QStringLiteral(" ?"),
                                          report(QStringLiteral("Path/File access error"), 130)};
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
        clickControl(w.form, "PushButton6");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        const auto filesBeside = [&] {
            return QDir(path(QStringLiteral("kept"))).entryList(QDir::Files | QDir::Hidden);
        };
        QCOMPARE(contentOf(out), QByteArray("old results\r\n"));
        QCOMPARE(filesBeside(), QStringList({QStringLiteral("old.txt")}));
        QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        // The question names the path as the user chose it, though the file behind it is written.
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
        clickControl(w.form, "PushButton6");
        QCOMPARE(w.test.dialogs.texts().size(), 2);
        QVERIFY(QFileInfo(out).isSymLink());
        QVERIFY(contentOf(old).startsWith("/a rather long path"));
        QCOMPARE(contentOf(old).count('\n'), qsizetype(200));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(old).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
        QCOMPARE(filesBeside(), QStringList({QStringLiteral("old.txt")}));
    }

    // Either road: a file of the user's own is replaced, one with a second link is written in
    // place. The disk fills while the lines are kept (a long list fails at a row, a short one
    // when it is closed), or, in place, when the new length is reserved.
    void aFullFileSystemLeavesTheOldFileAsItWas_data()
    {
        QTest::addColumn<bool>("secondLink");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("roomToKeepTheLines");
        QTest::addColumn<int>("reportLine");
        QTest::newRow("replace, short list") << false << 1000 << false << 140;
        QTest::newRow("replace, long list") << false << 40000 << false << 136;
        QTest::newRow("in place, short list") << true << 6000 << true << 140;
        QTest::newRow("in place, long list") << true << 40000 << true << 140;
        QTest::newRow("in place, no room to keep them") << true << 40000 << false << 136;
    }

    void aFullFileSystemLeavesTheOldFileAsItWas()
    {
        QFETCH(bool, secondLink);
        QFETCH(int, rows);
        QFETCH(bool, roomToKeepTheLines);
        QFETCH(int, reportLine);
        if (::geteuid() != 0) QSKIP("mounting a small file system to fill needs root");
        const QString mountPoint = path(QStringLiteral("small"));
        QDir().mkpath(mountPoint);
        SmallFileSystem small(mountPoint, "size=8m,mode=0755");
        if (!small.mounted())
            QSKIP(qPrintable("no tmpfs could be mounted here: " + small.whyNot()));

        const QString out = writeFile(mountPoint + QStringLiteral("/old.txt"), "old results\r\n");
        const QString other = mountPoint + QStringLiteral("/same file.txt");
        if (secondLink) QCOMPARE(::link(native(out).constData(), native(other).constData()), 0);
        const QStringList names = namesIn(mountPoint);
        Window w;
        qint64 length = 0;
        for (int row = 0; row < rows; ++row) {
            const QString text = QStringLiteral("/results/row %1 of a list that no longer fits");
            w.addResult(text.arg(row), QString());
            length += text.arg(row).size() + 2;
        }
        // Room to keep the lines but not to give the file their length as well; or less than
        // the lines need.
        const qint64 leave = roomToKeepTheLines ? length + 64 * 1024 : qMin(length / 2, 512 * 1024);
        QFile filler(mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray((small.freeBytes() - leave) / 4096 * 4096, 'f'));
        filler.close();
        const struct stat before = statOf(out);

        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        clickControl(w.form, "PushButton6");

        QCOMPARE(contentOf(out), QByteArray("old results\r\n"));
        if (secondLink) QCOMPARE(contentOf(other), QByteArray("old results\r\n"));
        QStringList namesWithFiller = names + QStringList({QStringLiteral("filler")});
        namesWithFiller.sort();
        QCOMPARE(namesIn(mountPoint), namesWithFiller);
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3); // the dialog, the question and one report
        QVERIFY2(texts[2].startsWith(QStringLiteral("Path/File access error (No space left")) &&
                     texts[2].contains(QStringLiteral("at line %1\r").arg(reportLine)),
                 qPrintable(texts[2]));
        // A failed write ends the rows: the rest were never asked for.
        if (reportLine == 136) QVERIFY(w.test.events.calls < rows);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        // With room again the same save replaces the content, and the file stays what it was.
        QVERIFY(QFile::remove(filler.fileName()));
        w.test.dialogs.clearShown();
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        clickControl(w.form, "PushButton6");
        QCOMPARE(w.test.dialogs.texts().size(), 2);
        QCOMPARE(contentOf(out).size(), length);
        QVERIFY(contentOf(out).startsWith("/results/row 0 of"));
        if (secondLink) QCOMPARE(contentOf(other), contentOf(out));
        QCOMPARE(statOf(out).st_nlink, before.st_nlink);
        QCOMPARE(namesIn(mountPoint), names);
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
        clickControl(w.form, "PushButton6");
        QCOMPARE(contentOf(out), QByteArray("/a\r\n"));
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[1], report(QStringLiteral("Index out of bounds"), 136));
        QCOMPARE(texts[2], texts[1]);
    }

    // Replacing would change whose file it is: the lines are written into the file itself.
    void aFileTheSaverMayNotReplaceIsWrittenInPlace()
    {
        if (!haveSaver()) QSKIP(qPrintable(noSaver()));
        const QString folder = path(QStringLiteral("closed"));
        QDir().mkpath(folder);
        const QString out = writeFile(folder + QStringLiteral("/results.txt"), "old\r\n");
        QCOMPARE(::chown(native(out).constData(), saver_->uid(), saver_->gid()), 0);
        QCOMPARE(::chmod(native(out).constData(), 0640), 0);
        const struct stat before = statOf(out);

        const ProbeRun run = runSaveProbe(out, 3, saver_->name());

        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QCOMPARE(run.texts, QStringList({QStringLiteral("Save"), question(out)}));
        QCOMPARE(contentOf(out), probeRows(3));
        const struct stat after = statOf(out);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(namesIn(folder), QStringList({QStringLiteral("results.txt")}));
    }

    // In a shared sticky folder another user may leave a file, or a second link to one of the
    // saver's own, for the saver's save to write into. With the kernel's guards off, the first
    // is refused and the second replaced, so the file it leads to is never touched.
    void whatAnotherUserLeftInASharedFolderIsNeverWrittenInto()
    {
        if (!haveSaver()) QSKIP(qPrintable(noSaver()));
        const HeldSysctl regular("/proc/sys/fs/protected_regular", "0");
        if (!regular.held()) QSKIP("fs.protected_regular cannot be set here");
        const QString shared = sharedFolder(QStringLiteral("left-for-the-saver"));
        const QString foreign = writeFile(shared + QStringLiteral("/res.txt"), "theirs\r\n");
        QCOMPARE(::chown(native(foreign).constData(), nobody()->pw_uid, nobody()->pw_gid), 0);
        QCOMPARE(::chmod(native(foreign).constData(), 0666), 0);

        const ProbeRun refused = runSaveProbe(foreign, 3, saver_->name());

        QVERIFY2(refused.exitCode == 0, qPrintable(refused.errors));
        QCOMPARE(refused.texts, QStringList({QStringLiteral("Save"), question(foreign),
                                             report(QStringLiteral("Permission denied"), 130)}));
        QCOMPARE(contentOf(foreign), QByteArray("theirs\r\n"));
        QCOMPARE(statOf(foreign).st_uid, nobody()->pw_uid);

        const QString home = saversFolder(QStringLiteral("home-of-the-saver"));
        const QString notes = writeFile(home + QStringLiteral("/notes.txt"), "my notes\r\n");
        QCOMPARE(::chown(native(notes).constData(), saver_->uid(), saver_->gid()), 0);
        const QString planted = shared + QStringLiteral("/linked.txt");
        QCOMPARE(::link(native(notes).constData(), native(planted).constData()), 0);

        const ProbeRun replaced = runSaveProbe(planted, 3, saver_->name());

        QVERIFY2(replaced.exitCode == 0, qPrintable(replaced.errors));
        QCOMPARE(replaced.texts, QStringList({QStringLiteral("Save"), question(planted)}));
        QCOMPARE(contentOf(notes), QByteArray("my notes\r\n"));
        QCOMPARE(statOf(notes).st_nlink, nlink_t(1));
        QCOMPARE(contentOf(planted), probeRows(3));
        QCOMPARE(namesIn(shared),
                 QStringList({QStringLiteral("linked.txt"), QStringLiteral("res.txt")}));
    }

    // A file the user owns alone is replaced by a new one that takes on all it carried; one
    // with a second link is written in place. Either way it stays the same file to its users.
    void aSavedFileKeepsItsLinksAttributesAndAcl_data()
    {
        QTest::addColumn<bool>("secondLink");
        QTest::addColumn<bool>("userAttribute");
        QTest::addColumn<bool>("acl");
        QTest::newRow("two hard links") << true << false << false;
        QTest::newRow("user.x") << false << true << false;
        QTest::newRow("ACL") << false << false << true;
        QTest::newRow("user.x, ACL and two hard links") << true << true << true;
    }

    void aSavedFileKeepsItsLinksAttributesAndAcl()
    {
        QFETCH(bool, secondLink);
        QFETCH(bool, userAttribute);
        QFETCH(bool, acl);
        const QString folder = path(QStringLiteral("identity/%1").arg(QTest::currentDataTag()));
        const QString out = writeFile(folder + QStringLiteral("/results.txt"), "old\r\n");
        const QString other = folder + QStringLiteral("/elsewhere.txt");
        QCOMPARE(::chmod(native(out).constData(), 0640), 0);
        // Root can show that the group is kept too.
        if (::geteuid() == 0)
            QCOMPARE(::chown(native(out).constData(), uid_t(-1), nobody()->pw_gid), 0);
        if (secondLink) QCOMPARE(::link(native(out).constData(), native(other).constData()), 0);
        if (userAttribute && ::setxattr(native(out).constData(), "user.x", "kept", 4, 0) != 0)
            QSKIP(qPrintable("this file system keeps no user attributes: " + errnoText()));
        const QByteArray wantedAcl = aclLettingRead(nobody()->pw_uid);
        if (acl && ::setxattr(native(out).constData(), "system.posix_acl_access",
                              wantedAcl.constData(), wantedAcl.size(), 0) != 0)
            QSKIP(qPrintable("this file system keeps no ACLs: " + errnoText()));
        const struct stat before = statOf(out);
        const std::optional<QByteArray> aclBefore = attributeOf(out, "system.posix_acl_access");
        QCOMPARE(aclBefore.has_value(), acl);

        Window w;
        w.addResult(QStringLiteral("/new/one"), QString());
        w.addResult(QStringLiteral("/new/two"), QString());
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        clickControl(w.form, "PushButton6");

        QCOMPARE(w.test.dialogs.texts(), QStringList({QStringLiteral("Save"), question(out)}));
        QCOMPARE(contentOf(out), QByteArray("/new/one\r\n/new/two\r\n"));
        if (secondLink) QCOMPARE(contentOf(other), contentOf(out));
        const struct stat after = statOf(out);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_nlink, before.st_nlink);
        // Only a file with one link is replaced by another.
        QCOMPARE(after.st_ino == before.st_ino, secondLink);
        QCOMPARE(attributeOf(out, "user.x"),
                 userAttribute ? std::optional<QByteArray>("kept") : std::nullopt);
        QCOMPARE(attributeOf(out, "system.posix_acl_access"), aclBefore);
        QCOMPARE(namesIn(folder).size(), secondLink ? 2 : 1);
    }

    // A close from the desktop ends the process at once, in any event round of the export.
    void aSaveEndedMidwayLeavesNothingBehind_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::newRow("over a file") << true;
        QTest::newRow("a new file") << false;
    }

    void aSaveEndedMidwayLeavesNothingBehind()
    {
        QFETCH(bool, fileThere);
        const QString folder = path(QStringLiteral("ended/%1").arg(QTest::currentDataTag()));
        QDir().mkpath(folder);
        const QString out = folder + QStringLiteral("/results.txt");
        if (fileThere) writeFile(out, "old results\r\n");

        // Over two megabytes, ended past the first one, which has gone to the disk by then.
        const ProbeRun ended = runSaveProbe(out, 60000, {}, 50000);

        QVERIFY2(ended.exitCode == 0, qPrintable(ended.errors));
        QVERIFY(ended.texts.isEmpty()); // it never got as far as telling
        QCOMPARE(namesIn(folder),
                 fileThere ? QStringList({QStringLiteral("results.txt")}) : QStringList());
        if (fileThere) QCOMPARE(contentOf(out), QByteArray("old results\r\n"));

        const ProbeRun finished = runSaveProbe(out, 60000);
        QVERIFY2(finished.exitCode == 0, qPrintable(finished.errors));
        QCOMPARE(contentOf(out), probeRows(60000));
        QCOMPARE(namesIn(folder), QStringList({QStringLiteral("results.txt")}));
    }

    // Another user plants a link in a shared sticky folder, aimed at one of the saver's files,
    // and waits for the saver to save under that name. With the kernel's own guard on or off,
    // the link is not followed; the saver's own link there is.
    void aLinkPlantedByAnotherUserIsNeverFollowed_data()
    {
        QTest::addColumn<QByteArray>("protectedSymlinks");
        QTest::newRow("fs.protected_symlinks=1") << QByteArray("1");
        QTest::newRow("fs.protected_symlinks=0") << QByteArray("0");
    }

    void aLinkPlantedByAnotherUserIsNeverFollowed()
    {
        QFETCH(QByteArray, protectedSymlinks);
        if (!haveSaver()) QSKIP(qPrintable(noSaver()));
        const HeldSysctl guard("/proc/sys/fs/protected_symlinks", protectedSymlinks);
        if (!guard.held()) QSKIP("fs.protected_symlinks cannot be set here");
        const QString tag = QString::fromLatin1(protectedSymlinks);
        const QString home = saversFolder(QStringLiteral("home-") + tag);
        const QString notes = writeFile(home + QStringLiteral("/notes.txt"), "my notes\r\n");
        QCOMPARE(::chown(native(notes).constData(), saver_->uid(), saver_->gid()), 0);
        const QString shared = sharedFolder(QStringLiteral("shared-") + tag);
        const QString planted = shared + QStringLiteral("/res.txt");
        QVERIFY(QFile::link(notes, planted));
        QCOMPARE(::lchown(native(planted).constData(), nobody()->pw_uid, nobody()->pw_gid), 0);

        const ProbeRun refused = runSaveProbe(planted, 3, saver_->name());

        QVERIFY2(refused.exitCode == 0, qPrintable(refused.errors));
        // Something is there, so the user is asked about the name they chose, and then told.
        QCOMPARE(refused.texts, QStringList({QStringLiteral("Save"), question(planted),
                                             report(QStringLiteral("Permission denied"), 130)}));
        QCOMPARE(contentOf(notes), QByteArray("my notes\r\n"));
        QVERIFY(QFileInfo(planted).isSymLink());
        QCOMPARE(namesIn(shared), QStringList({QStringLiteral("res.txt")}));

        // A link to a folder is refused wherever it stands on the path.
        const QString plantedFolder = shared + QStringLiteral("/dir");
        QVERIFY(QFile::link(home, plantedFolder));
        QCOMPARE(::lchown(native(plantedFolder).constData(), nobody()->pw_uid, nobody()->pw_gid),
                 0);
        const QString throughFolder = plantedFolder + QStringLiteral("/notes.txt");
        const ProbeRun refusedFolder = runSaveProbe(throughFolder, 3, saver_->name());
        QVERIFY2(refusedFolder.exitCode == 0, qPrintable(refusedFolder.errors));
        QCOMPARE(refusedFolder.texts.last(), report(QStringLiteral("Permission denied"), 130));
        QCOMPARE(contentOf(notes), QByteArray("my notes\r\n"));
        QVERIFY(QFile::remove(plantedFolder));

        // The saver's own link in the same folder leads where it says; the question names the
        // link, as chosen.
        const QString own = shared + QStringLiteral("/mine.txt");
        QVERIFY(QFile::link(notes, own));
        QCOMPARE(::lchown(native(own).constData(), saver_->uid(), saver_->gid()), 0);
        const ProbeRun followed = runSaveProbe(own, 3, saver_->name());
        QVERIFY2(followed.exitCode == 0, qPrintable(followed.errors));
        QCOMPARE(followed.texts, QStringList({QStringLiteral("Save"), question(own)}));
        QCOMPARE(contentOf(notes), probeRows(3));
        QVERIFY(QFileInfo(own).isSymLink());
    }

    void aTargetThatCannotBeOpenedIsReportedOnce_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("description");
        QTest::newRow("a link to /dev/full") << "link"
                                             << "Path/File access error";
        QTest::newRow("a read-only file system")
            << "read-only"
            << "Path/File access error (Read-only file system)";
        QTest::newRow("a folder deleted after it was chosen") << "deleted"
                                                              << "Path not found";
    }

    void aTargetThatCannotBeOpenedIsReportedOnce()
    {
        QFETCH(QString, setup);
        QFETCH(QString, description);
        const QString folder = path(QStringLiteral("unopened-") + setup);
        QDir().mkpath(folder);
        QString out = writeFile(folder + QStringLiteral("/results.txt"), "old results\r\n");
        std::unique_ptr<SmallFileSystem> small;
        if (setup == u"link") {
            QVERIFY(QFile::remove(out));
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), out));
        } else if (setup == u"read-only") {
            if (::geteuid() != 0) QSKIP("mounting a read-only file system needs root");
            small = std::make_unique<SmallFileSystem>(folder, "size=1m");
            if (!small->mounted()) QSKIP(qPrintable("no tmpfs here: " + small->whyNot()));
            out = writeFile(folder + QStringLiteral("/results.txt"), "old results\r\n");
            QVERIFY(small->makeReadOnly());
        }
        Window w;
        for (int row = 0; row < 1000; ++row)
            w.addResult(QStringLiteral("/row/%1").arg(row), QString());
        w.test.dialogs.answerSaveFile(out);
        w.test.dialogs.answerMessage(AnswerYes);
        if (setup == u"deleted")
            w.test.dialogs.whileShown([&] {
                if (w.test.dialogs.shown().back().text.startsWith(QStringLiteral("Are you")))
                    QDir(folder).removeRecursively();
            });

        clickControl(w.form, "PushButton6");

        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({QStringLiteral("Save"), question(out), report(description, 130)}));
        QCOMPARE(w.test.events.calls, 0);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        if (setup == u"read-only") QCOMPARE(contentOf(out), QByteArray("old results\r\n"));
    }
};

BYTEMARSH_TEST_MAIN(TextExportTest)
#include "test_text_export.moc"
