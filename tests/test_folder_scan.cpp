#include "adding/add_folder.h"
#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "engine/directory_walker.h"
#include "platform/file_system.h"
#include "support/adding_support.h"
#include "support/form_controls.h"
#include "support/test_main.h"

#include <QDirIterator>
#include <QFileInfo>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QString kPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)");

// Answers the two questions of the command and runs it.
void scan(AddingWindow& w, const QString& extension, const QString& folder)
{
    w.test.dialogs.answerInput(extension);
    w.test.dialogs.answerFolder(folder);
    clickControl(w.form, "PushButton10");
}

} // namespace

class FolderScanTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString root_;

    QString at(const QString& relative) const { return root_ + u'/' + relative; }
    QString file(const QString& relative) { return writeFile(at(relative), "x"); }

private slots:
    void init()
    {
        removeAllSettings();
        QVERIFY(dir_.isValid());
        setMode(dir_.path(), 0755);
        static int round = 0;
        root_ = dir_.filePath(QStringLiteral("tree%1").arg(++round));
        makeFolder(root_);
    }

    void foldersComeBreadthFirstGroupedByParent()
    {
        file("r.txt");
        file("A/a.txt");
        file("B/b.txt");
        file("A/AA/aa.txt");
        file("B/BB/bb.txt");
        file("A/AA/AAA/aaa.txt");
        AddingWindow w;
        scan(w, "txt", root_);

        const QStringList rows = w.rows();
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0], at("r.txt"));
        // The first level in directory order, then the second in the same parent order.
        const bool aFirst = rows[1] == at("A/a.txt");
        QCOMPARE(rows.mid(1, 2), aFirst ? QStringList({at("A/a.txt"), at("B/b.txt")})
                                        : QStringList({at("B/b.txt"), at("A/a.txt")}));
        QCOMPARE(rows.mid(3, 2), aFirst ? QStringList({at("A/AA/aa.txt"), at("B/BB/bb.txt")})
                                        : QStringList({at("B/BB/bb.txt"), at("A/AA/aa.txt")}));
        QCOMPARE(rows[5], at("A/AA/AAA/aaa.txt"));
        QVERIFY(w.test.dialogs.shown().size() == 2); // the two questions, nothing more
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void tildeNamesAndWritableDotFilesAreLeftOut()
    {
        file("keep.txt");
        file("~lock.txt");
        file("sub/~other.txt");
        file(".writable.txt");
        const QString readOnly = file(".readonly.txt");
        setMode(readOnly, 0444);
        file(".config/inside.txt"); // a hidden folder is still scanned
        QCOMPARE(FileSystem::attributes(at(".writable.txt")), 34);
        QCOMPARE(FileSystem::attributes(readOnly), 35);
        QCOMPARE(FileSystem::attributes(at(".config")), 18);

        AddingWindow w;
        scan(w, "*", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows,
                 QStringList({at(".config/inside.txt"), at(".readonly.txt"), at("keep.txt")}));
    }

    void thePatternIsTheExtensionAsTyped()
    {
        file("a.txt");
        file("b.doc");
        file("noextension");
        file("c..txt");
        file("sub/d.TXT");
        makeFolder(at("folder.txt"));

        AddingWindow w;
        scan(w, "txt", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows, QStringList({at("a.txt"), at("c..txt"), at("sub/d.TXT")}));

        AddingWindow all;
        scan(all, "*", root_);
        QCOMPARE(all.rows().size(), 5); // "*.*" takes names without a dot too

        AddingWindow dotted;
        scan(dotted, ".txt", root_);
        QCOMPARE(dotted.rows(), QStringList({at("c..txt")}));
        QCOMPARE(dotted.test.settings.read("Extension", ""), QStringLiteral(".txt"));
    }

    void onlyStarAndQuestionMarkAreWildcards()
    {
        file("a.[1]");
        file("b.1");
        file("c.x\\y");
        file("d.xy");
        file("e.ab");
        AddingWindow brackets;
        scan(brackets, "[1]", root_);
        QCOMPARE(brackets.rows(), QStringList({at("a.[1]")}));
        AddingWindow backslash;
        scan(backslash, "x\\y", root_);
        QCOMPARE(backslash.rows(), QStringList({at("c.x\\y")}));
        AddingWindow question;
        scan(question, "?b", root_);
        QCOMPARE(question.rows(), QStringList({at("e.ab")}));
    }

    void choicesAreRememberedBeforeTheScanStarts()
    {
        file("one.txt");
        file("sub/two.txt");
        AddingWindow w;
        QString extensionDuringScan, folderDuringScan;
        QList<PointerSetting> pointers;
        w.test.events.onCall = [&] {
            extensionDuringScan = w.test.settings.read("Extension", "");
            folderDuringScan = w.test.settings.read("LastFolder", "");
            pointers << w.form.mousePointer();
        };
        scan(w, "txt", root_);
        QCOMPARE(extensionDuringScan, QStringLiteral("txt"));
        QCOMPARE(folderDuringScan, root_);
        QVERIFY(w.test.events.calls >= 3); // each folder and each sub-folder
        QVERIFY(!pointers.contains(PointerSetting::Default));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::Input);
        QCOMPARE(shown[0].text, kPrompt);
        QCOMPARE(shown[0].defaultText, QStringLiteral("*"));
        QCOMPARE(shown[1].kind, ScriptedDialogs::Kind::Folder);
        QCOMPARE(shown[1].text, QStringLiteral("Please select folder:"));
        QCOMPARE(shown[1].defaultText, QString());

        // The next use offers both again, and adds the same files once more.
        w.test.dialogs.clearShown();
        scan(w, "txt", root_);
        QCOMPARE(w.test.dialogs.shown()[0].defaultText, QStringLiteral("txt"));
        QCOMPARE(w.test.dialogs.shown()[1].defaultText, root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows,
                 QStringList({at("one.txt"), at("one.txt"), at("sub/two.txt"), at("sub/two.txt")}));
    }

    void cancellingEitherQuestionAddsNothing()
    {
        file("one.txt");
        AddingWindow w;
        w.test.settings.write("Extension", "doc");
        clickControl(w.form, "PushButton10"); // the input box is cancelled
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(1));
        QCOMPARE(w.test.settings.read("Extension", ""), QStringLiteral("doc"));

        w.test.dialogs.answerInput("txt"); // then the folder browser is cancelled
        clickControl(w.form, "PushButton10");
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(3));
        QCOMPARE(w.test.settings.read("Extension", ""), QStringLiteral("txt"));
        QCOMPARE(w.test.settings.read("LastFolder", "unset"), QStringLiteral("unset"));
        QCOMPARE(w.form.fileList().count(), 0);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void unreadableFoldersAreDroppedSilently()
    {
        file("r.txt");
        file("locked/x.txt");
        file("locked/deeper/y.txt");
        file("open/o.txt");
        setMode(at("locked"), 0);
        file("closed/z.txt");
        setMode(at("closed"), 0);
        for (const char* folder : {"", "open"})
            setMode(at(folder), 0755);

        if (!ordinaryUserCanReach(dir_.path()))
            QSKIP("An ordinary user cannot reach the temporary folder here");
        AddingWindow w;
        ErrorReporter errors(w.test.dialogs);
        {
            ActingAsOrdinaryUser user;
            AddFolder::AddFolderTreeFiles(w.form.fileList(), root_, "*.*", errors, w.test.events);
            QStringList rows = w.rows();
            rows.sort();
            QCOMPARE(rows, QStringList({at("open/o.txt"), at("r.txt")}));

            // A chosen folder that denies access gives nothing at all.
            w.form.fileList().clear();
            AddFolder::AddFolderTreeFiles(w.form.fileList(), at("closed"), "*.*", errors,
                                          w.test.events);
            QCOMPARE(w.form.fileList().count(), 0);
        }
        QVERIFY(w.test.dialogs.shown().empty());
        setMode(at("locked"), 0755);
        setMode(at("closed"), 0755);
    }

    void aFolderThatVanishesMidScanIsReportedByTheCollector()
    {
        file("kept.txt");
        makeFolder(at("gone"));
        AddingWindow w;
        // The third round of events comes after the sub-folder was found to be a folder and
        // before its attributes are read.
        w.test.events.onCall = [&] {
            if (w.test.events.calls == 3) QDir(at("gone")).removeRecursively();
        };
        scan(w, "txt", root_);
        QCOMPARE(w.rows(), QStringList({at("kept.txt")}));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(3));
        QCOMPARE(shown[2].title, QStringLiteral("Application Error"));
        QVERIFY(shown[2].text.startsWith(
            QStringLiteral("File not found\r\nin Pemberloft2021/08/31.AddFolder."
                           "GetSubDirectories2016 at line 110\r\r")));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    // A link to a sibling folder gives its files again under the link's name; a link to a folder
    // the path runs through ends there.
    void aFolderReachedByTwoRoadsIsCollectedByEach()
    {
        file("sub1/e.txt");
        QVERIFY(QFile::link(at("sub1"), at("link")));
        QVERIFY(QFile::link(".", at("sub1/loop")));
        QVERIFY(QFile::link("..", at("sub1/up")));

        AddingWindow w;
        scan(w, "txt", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows, QStringList({at("link/e.txt"), at("sub1/e.txt")}));
    }

    void linksAreFollowedButNoLoopIsWalked()
    {
        QTemporaryDir outside;
        writeFile(outside.filePath("c.txt"), "c");
        file("a.txt");
        file("sub/b.txt");
        QVERIFY(QFile::link(root_, at("sub/back")));        // a loop back to the top
        QVERIFY(QFile::link(outside.path(), at("out")));    // a folder elsewhere
        QVERIFY(QFile::link(at("a.txt"), at("alias.txt"))); // a linked file is a file

        AddingWindow w;
        scan(w, "txt", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows,
                 QStringList({at("a.txt"), at("alias.txt"), at("out/c.txt"), at("sub/b.txt")}));
    }

    // A link is followed into any folder, wherever it lies, but one the path runs through: never
    // up into a folder that holds it, the start's and those above it included (which would take
    // the scan out over the rest of the file system).
    void linksUpTheirOwnPathAreNotFollowed()
    {
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        writeFile(elsewhere.filePath("e.txt"), "e");
        file("beside.txt"); // above the start: never a row
        const QString start = at("start");
        file("start/s.txt");
        file("start/a/a.txt");
        file("start/b/b.txt");
        QVERIFY(QFile::link(start, at("start/self")));            // the start itself
        QVERIFY(QFile::link(root_, at("start/a/up")));            // its parent
        QVERIFY(QFile::link("/", at("start/a/top")));             // the root of everything
        QVERIFY(QFile::link("../b", at("start/a/toB")));          // a sibling: by both roads
        QVERIFY(QFile::link(elsewhere.path(), at("start/out")));  // not reached before
        QVERIFY(QFile::link(start, elsewhere.filePath("entry"))); // a way in from elsewhere

        AddingWindow w;
        scan(w, "txt", start);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows,
                 QStringList({at("start/a/a.txt"), at("start/a/toB/b.txt"), at("start/b/b.txt"),
                              at("start/out/e.txt"), at("start/s.txt")}));

        // Started through a link, the folders its path names count as above the start too: the
        // way back to the folder that holds the link is not taken.
        AddingWindow through;
        scan(through, "txt", elsewhere.filePath("entry"));
        rows = through.rows();
        rows.sort();
        const QString entry = elsewhere.filePath("entry/");
        QCOMPARE(rows, QStringList({entry + "a/a.txt", entry + "a/toB/b.txt", entry + "b/b.txt",
                                    entry + "s.txt"}));
        QCOMPARE(w.test.dialogs.shown().size() + through.test.dialogs.shown().size(),
                 std::size_t(4)); // the two questions each, nothing more
    }

    // A folder that opens but cannot be listed is dropped without a word, as one that cannot be
    // opened is. On this system the process file system may hold one (another process's map of
    // files can refuse even root); where it does not, that half has nothing to show.
    void aFolderThatOpensButCannotBeListedIsDroppedSilently()
    {
        file("top.txt");
        file("open/o.txt");
        QString unlistable;
        QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
        while (unlistable.isEmpty() && processes.hasNext()) {
            const QString process = processes.next();
            for (const char* folder : {"map_files", "fd", "fdinfo", "ns", "task", "net"}) {
                const std::string path =
                    QFile::encodeName(process + u'/' + QLatin1String(folder)).toStdString() + '/';
                const engine::FolderListing listing = engine::readFolder(path);
                if (listing.openError != 0 || listing.readError == 0) continue;
                unlistable = QFile::decodeName(path.c_str());
                break;
            }
        }
        if (unlistable.isEmpty())
            QSKIP("No folder here opens and then refuses its listing; the unopenable kind is "
                  "unreadableFoldersAreDroppedSilently");
        QVERIFY(QFile::link(unlistable, at("unlistable")));
        file("unlistable-beside/u.txt");

        AddingWindow w;
        scan(w, "txt", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows,
                 QStringList({at("open/o.txt"), at("top.txt"), at("unlistable-beside/u.txt")}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2)); // the two questions
    }

    // The process file system's links lead to every process's root, working folder and open
    // folders: a scan of /proc/self follows those that stay in /proc, and ends there.
    void aScanOfTheProcessFilesStaysInThem()
    {
        AddingWindow w;
        scan(w, "*", QStringLiteral("/proc/self"));
        const QStringList rows = w.rows();
        QVERIFY(rows.contains(QStringLiteral("/proc/self/status")));
        QVERIFY(rows.contains(QStringLiteral("/proc/self/net/dev"))); // through a link in /proc
        int resolved = 0;
        for (const QString& row : rows) {
            QVERIFY2(!row.contains(QStringLiteral("/cwd/")) &&
                         !row.contains(QStringLiteral("/root/")),
                     qPrintable(row));
            // Where its folder still resolves (threads and open files come and go), it lies in
            // /proc.
            char real[PATH_MAX];
            const QByteArray folder = QFile::encodeName(row.left(row.lastIndexOf(u'/')));
            if (!::realpath(folder.constData(), real)) continue;
            QVERIFY2(QByteArray(real).startsWith("/proc/"), real);
            ++resolved;
        }
        QVERIFY(resolved > 100);
    }

    void subFolderNamesTheScanCannotCarryAreSkipped()
    {
        file("top.txt");
        file(QStringLiteral("bad") + QChar(1) + QStringLiteral("name/1.txt"));
        file(QStringLiteral("del") + QChar(0x7f) + QStringLiteral("/2.txt"));
        file("what?/3.txt");
        file(QStringLiteral("caf\u00e9/4.txt"));
        const QByteArray invalid = QFile::encodeName(root_) + "/broken\xff\xfe";
        QCOMPARE(::mkdir(invalid.constData(), 0755), 0);
        const QByteArray inside = invalid + "/5.txt";
        QVERIFY(::close(::open(inside.constData(), O_CREAT | O_WRONLY, 0644)) == 0);

        AddingWindow w;
        scan(w, "txt", root_);
        QStringList rows = w.rows();
        rows.sort();
        QCOMPARE(rows, QStringList({at(QStringLiteral("caf\u00e9/4.txt")), at("top.txt")}));

        QVERIFY(AddFolder::HasUnsafeCharacters("a\tb"));
        QVERIFY(AddFolder::HasUnsafeCharacters("a\xc2\x85")); // U+0085, a control
        QVERIFY(AddFolder::HasUnsafeCharacters("a?b"));
        QVERIFY(AddFolder::HasUnsafeCharacters("\xed\xa0\x80")); // a surrogate
        QVERIFY(AddFolder::HasUnsafeCharacters("a\xc0\xafz"));   // an overlong "/"
        QVERIFY(AddFolder::HasUnsafeCharacters("caf\xe9"));      // Latin-1, not UTF-8
        QVERIFY(!AddFolder::HasUnsafeCharacters("\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80"));

        // Qt cannot name this folder, so it goes by hand.
        QCOMPARE(::unlink(inside.constData()), 0);
        QCOMPARE(::rmdir(invalid.constData()), 0);
    }

    void folderAndFileTests()
    {
        const QString plain = file("plain.txt");
        QVERIFY(QFile::link(at("sub"), at("dangling")));
        makeFolder(at("sub"));
        writeFile(at("sub/.h"), "");
        const auto bytes = [](const QString& path) {
            return QFile::encodeName(path).toStdString();
        };
        QVERIFY(AddFolder::FileExistsByOpen(bytes(plain)));
        QVERIFY(!AddFolder::FileExistsByOpen(bytes(at("sub"))));
        QVERIFY(!AddFolder::FileExistsByOpen(bytes(at("missing"))));
        QVERIFY(!AddFolder::FileExistsByOpen(""));
        QVERIFY(!AddFolder::FileExistsByOpen(bytes(plain) + std::string("\0x", 2)));
        QVERIFY(AddFolder::PathIsFolder(bytes(at("sub"))));
        QVERIFY(AddFolder::PathIsFolder(bytes(at("sub/"))));
        QVERIFY(AddFolder::PathIsFolder(bytes(at("dangling")))); // now it points somewhere
        QVERIFY(!AddFolder::PathIsFolder(bytes(plain)));
        QVERIFY(!AddFolder::PathIsFolder(bytes(at("missing"))));
        QCOMPARE(FileSystem::attributes(at("dangling")), 16 | 1024);
        QCOMPARE(AddFolder::ListFilesInFolder(at("sub"), "*.*"), QStringList({".h"}));
        QCOMPARE(AddFolder::ListFilesInFolder(at("missing"), "*.*"), QStringList());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, FileSystem::attributes(at("missing")));
    }

    void aFolderGivenWithItsSeparatorGivesSingleSeparators()
    {
        file("s/f.txt");
        AddingWindow w;
        scan(w, "txt", root_ + u'/');
        QCOMPARE(w.rows(), QStringList({at("s/f.txt")}));
    }
};

BYTEMARSH_TEST_MAIN(FolderScanTest)
#include "test_folder_scan.moc"
