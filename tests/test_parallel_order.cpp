// The folder scan and the size check read the disk on worker threads. These cases hold their
// rows, reports and event rounds against plain one-thread walks written here from the steps
// the commands follow, over trees and lists built to trip them up.

#include "adding/add_folder.h"
#include "adding/drop_files.h"
#include "adding/normalize_backslashes.h"
#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "core/units.h"
#include "platform/directory.h"
#include "platform/file_system.h"
#include "support/adding_support.h"
#include "support/form_controls.h"
#include "support/test_main.h"

#include <QRadioButton>
#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <ftw.h>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

Rows rowBytes(const RowList& list)
{
    Rows rows;
    for (int row = 1; row <= list.count(); ++row)
        rows.emplace_back(list.textUtf8(row));
    return rows;
}

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void makeFile(const std::string& path, mode_t mode = 0644, std::size_t bytes = 1)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, mode);
    if (fd < 0) qFatal("cannot create %s", path.c_str());
    const std::string content(bytes, 'x');
    if (::write(fd, content.data(), content.size()) != ssize_t(content.size()))
        qFatal("cannot write %s", path.c_str());
    ::close(fd);
    ::chmod(path.c_str(), mode); // past the umask
}

void makeDir(const std::string& path, mode_t mode = 0755)
{
    if (::mkdir(path.c_str(), 0755) != 0) qFatal("cannot make %s", path.c_str());
    ::chmod(path.c_str(), mode);
}

void makeLink(const std::string& target, const std::string& link)
{
    if (::symlink(target.c_str(), link.c_str()) != 0) qFatal("cannot link %s", link.c_str());
}

// The attribute value by the program's one rule; theAttributeRuleGivesTheValuesWrittenOut
// holds that rule to values written out by hand.
int attributeValue(const std::string& path)
{
    return FileSystem::attributesAt(AT_FDCWD, path.c_str());
}

// A file's length by one stat(), or the error the window reports for it.
std::int64_t lengthByStat(const std::string& path)
{
    if (path.find('\0') != std::string::npos) throw RuntimeError::badFileName();
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) throw RuntimeError::fromErrno(errno);
    if (S_ISDIR(info.st_mode)) throw FileSystem::folderHasNoLength();
    return std::int64_t(info.st_size);
}

bool isFolder(const std::string& path)
{
    try {
        return (attributeValue(path) & 16) != 0;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The scan done by hand, one call after another, on this thread. Counts the event rounds the
// steps make; reports nothing, since the trees here give the collector nothing to report.
class ReferenceScan
{
public:
    explicit ReferenceScan(const QString& pattern) : pattern_(pattern) {}

    Rows addFolderTreeFiles(const std::string& folder)
    {
        std::vector<std::string> folders{folder + '/'};
        above_.clear();
        // The folders above the start hold it: a link up to one is not followed.
        struct stat up = {}, last = {};
        for (std::string path = folder; ::stat(path.c_str(), &up) == 0; path += "/..") {
            above_.emplace(up.st_dev, up.st_ino);
            if (up.st_dev == last.st_dev && up.st_ino == last.st_ino) break; // the root
            last = up;
        }
        getSubDirectories(folders, true);
        Rows rows;
        for (std::string entry : folders) {
            entry.pop_back();
            DIR* dir = ::opendir(entry.empty() ? "/" : entry.c_str());
            if (!dir) continue;
            while (const dirent* found = ::readdir(dir)) {
                const std::string name = found->d_name;
                if (name == "." || name == ".." || found->d_type == DT_DIR) continue;
                if (!pattern_.matches(name.c_str())) continue;
                const std::string path = entry + '/' + name;
                struct stat info = {};
                if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
                if (name[0] == '~') continue;
                if (name[0] == '.' && attributeValue(path) == 34) continue;
                std::string row = path;
                NormalizeBackslashesInPlace(row);
                rows.push_back(row);
            }
            ::closedir(dir);
        }
        return rows;
    }

    int eventRounds = 0;

private:
    // Whether `candidate` is a folder that the path `folder` (ending in '/') runs through, every
    // part of it resolved as the path names it, or one above the start: a loop.
    bool runsThrough(const std::string& folder, const std::string& candidate) const
    {
        struct stat info = {};
        if (::stat(candidate.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return true;
        const std::pair<dev_t, ino_t> id{info.st_dev, info.st_ino};
        if (above_.count(id) > 0) return true;
        for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
             slash = folder.find('/', slash + 1)) {
            struct stat part = {};
            if (::stat(folder.substr(0, slash).c_str(), &part) == 0 &&
                std::pair<dev_t, ino_t>{part.st_dev, part.st_ino} == id)
                return true;
        }
        return false;
    }

    static bool mayDescend(const std::string& folder)
    {
        const int value = attributeValue(folder);
        return folder.find_first_not_of('/') == std::string::npos || (value != 22 && value != 1046);
    }

    void getSubDirectories(std::vector<std::string>& folders, bool recursive)
    {
        std::vector<std::string> newFolders;
        const std::vector<std::string> entries = folders;
        for (const std::string& folder : entries) {
            if (!isFolder(folder) || folder.size() >= PATH_MAX) continue;
            ++eventRounds;
            if (!mayDescend(folder)) continue;
            DIR* dir = ::opendir(folder.c_str());
            if (!dir) {
                const int error = errno;
                if (error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR)
                    folders.erase(std::find(folders.begin(), folders.end(), folder));
                continue;
            }
            while (const dirent* found = ::readdir(dir)) {
                const std::string name = found->d_name;
                if (name == "." || name == "..") continue;
                if (found->d_type != DT_DIR && found->d_type != DT_LNK &&
                    found->d_type != DT_UNKNOWN)
                    continue;
                ++eventRounds;
                if (name.size() >= PATH_MAX || AddFolder::HasUnsafeCharacters(name)) continue;
                if (runsThrough(folder, folder + name)) continue;
                newFolders.push_back(folder + name + '/');
            }
            ::closedir(dir);
        }
        if (recursive && !newFolders.empty()) getSubDirectories(newFolders, true);
        for (const std::string& folder : newFolders) {
            if (!isFolder(folder)) continue;
            ++eventRounds;
            if (mayDescend(folder)) folders.push_back(folder);
        }
    }

    FileSystem::NamePattern pattern_;
    std::set<std::pair<dev_t, ino_t>> above_;
};

// A tree with every kind of entry the scan treats apart, three levels deep with fan-out, one
// level wide and one branch deep.
void buildHostileTree(const std::string& root)
{
    makeDir(root);
    makeFile(root + "/plain.txt");
    makeFile(root + "/other.dat");
    makeFile(root + "/~tilde.txt");
    makeFile(root + "/.writable", 0666);       // hidden plus archive: 34, left out
    makeFile(root + "/.readonly", 0444);       // 35: in
    makeFile(root + "/.nobodys", 0644);        // 34 for root, 35 for anyone else
    makeLink("plain.txt", root + "/.dotlink"); // 1058: in
    makeLink("plain.txt", root + "/linked.txt");
    makeLink("nowhere", root + "/dangling");
    makeLink(".", root + "/loop");
    makeFile(root + "/new\nline.txt");
    makeFile(root + "/back\\slash.txt");
    makeFile(root + "/bad\xff\xfe.txt");
    if (::mkfifo((root + "/pipe").c_str(), 0666) != 0) qFatal("cannot make a pipe");
    if (::mkfifo((root + "/.pipe").c_str(), 0666) != 0) qFatal("cannot make a pipe");

    makeDir(root + "/.dotdir");
    makeFile(root + "/.dotdir/inside.txt");
    makeDir(root + "/~folder");
    makeFile(root + "/~folder/kept.txt");
    makeFile(root + "/~folder/~not.txt");
    makeDir(root + "/back\\slash dir");
    makeFile(root + "/back\\slash dir/in.txt");
    makeDir(root + "/new\nline dir");
    makeFile(root + "/new\nline dir/never.txt");
    makeDir(root + "/bad\xff dir");
    makeFile(root + "/bad\xff dir/never.txt");
    makeDir(root + "/what?");
    makeFile(root + "/what?/never.txt");

    makeDir(root + "/locked");
    makeFile(root + "/locked/secret.txt");
    makeDir(root + "/locked/deeper");
    makeDir(root + "/listonly");
    makeFile(root + "/listonly/seen.txt");
    makeDir(root + "/listonly/sub");

    for (int a = 0; a < 3; ++a) {
        const std::string one = root + "/L" + std::to_string(a);
        makeDir(one);
        for (int f = 0; f < 4; ++f)
            makeFile(one + "/f" + std::to_string(f) + (f % 2 ? ".txt" : ".bin"));
        for (int b = 0; b < 4; ++b) {
            const std::string two = one + "/M" + std::to_string(b);
            makeDir(two);
            makeFile(two + "/.w" + std::to_string(b), 0666);
            for (int c = 0; c < 3; ++c) {
                const std::string three = two + "/N" + std::to_string(c);
                makeDir(three);
                for (int f = 0; f < 5; ++f)
                    makeFile(three + "/g" + std::to_string(f) + ".txt");
            }
        }
    }
    // A level wider than the scan keeps handles on, and a chain deeper than most trees.
    makeDir(root + "/wide");
    for (int w = 0; w < 150; ++w) {
        const std::string one = root + "/wide/w" + std::to_string(w);
        makeDir(one);
        makeDir(one + "/s");
        makeFile(one + "/s/f.txt");
    }
    std::string chain = root + "/chain";
    for (int level = 0; level < 120; ++level, chain += "/d") {
        makeDir(chain);
        makeFile(chain + "/c.txt");
    }
    makeLink("../L1", root + "/L0/toL1");        // a folder reached twice
    makeLink("../../L2/M3", root + "/L0/M0/up"); // and from a level further down
    makeLink(root, root + "/L2/M1/N2/top");      // a loop back to the top

    ::chmod((root + "/locked").c_str(), 0);
    ::chmod((root + "/listonly").c_str(), 0644); // may be read, not searched
}

// Qt cannot name every entry of the tree, so it goes by hand.
void removeTree(const std::string& root)
{
    ::chmod((root + "/locked").c_str(), 0755);
    ::chmod((root + "/listonly").c_str(), 0755);
    ::nftw(
        root.c_str(),
        [](const char* path, const struct stat*, int, FTW*) {
            return ::remove(path) == 0 ? 0 : -1;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

class ParallelOrderTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::string root_;
    bool reachable_ = false;

    // Scans with the program and by hand and compares rows, reports and event rounds.
    void compareScans(const QString& pattern, bool asOrdinaryUser = false)
    {
        for (int round = 0; round < 3; ++round) { // the pool's timing differs each time
            AddingWindow w;
            ErrorReporter errors(w.test.dialogs);
            ReferenceScan reference(pattern);
            Rows expected;
            {
                std::optional<ActingAsOrdinaryUser> user;
                if (asOrdinaryUser) user.emplace();
                AddFolder::AddFolderTreeFiles(w.form.fileList(), QFile::decodeName(root_.c_str()),
                                              pattern, errors, w.test.events);
                expected = reference.addFolderTreeFiles(root_);
            }
            QVERIFY(expected.size() > 100);
            QCOMPARE(rowBytes(w.form.fileList()), expected);
            QCOMPARE(w.test.events.calls, reference.eventRounds);
            QVERIFY(w.test.events.waitCalls > 0); // the file listing repaints as it goes
            QVERIFY(w.test.dialogs.shown().empty());
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        setMode(dir_.path(), 0755);
        root_ = native(dir_.path()) + "/tree";
        buildHostileTree(root_);
        reachable_ = ordinaryUserCanReach(dir_.path());
    }

    void cleanupTestCase() { removeTree(root_); }

    void init() { removeAllSettings(); }

    void scanMatchesAOneThreadWalk()
    {
        compareScans(QStringLiteral("*.*"));
        compareScans(QStringLiteral("*.txt"));
    }

    void scanMatchesAOneThreadWalkWhereFoldersDenyAccess()
    {
        if (!reachable_) QSKIP("An ordinary user cannot reach the temporary folder here");
        compareScans(QStringLiteral("*.*"), true);
    }

    void theCommandGivesTheSameRowsUnderTheBusyPointer()
    {
        AddingWindow w;
        QList<PointerSetting> pointers;
        w.test.events.onCall = [&] { pointers << w.form.mousePointer(); };
        w.test.dialogs.answerInput(QStringLiteral("txt"));
        w.test.dialogs.answerFolder(QFile::decodeName(root_.c_str()));
        clickControl(w.form, "PushButton10");
        QCOMPARE(rowBytes(w.form.fileList()),
                 ReferenceScan(QStringLiteral("*.txt")).addFolderTreeFiles(root_));
        QVERIFY(!pointers.isEmpty());
        QVERIFY(!pointers.contains(PointerSetting::Default));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2)); // the two questions
    }

    void droppedFoldersAndFilesKeepTheirOrder()
    {
        AddingWindow w;
        ErrorReporter errors(w.test.dialogs);
        const QByteArray l0 = QByteArray::fromStdString(root_ + "/L0");
        const QByteArray loose = QByteArray::fromStdString(root_ + "/plain.txt");
        const QByteArray l2 = QByteArray::fromStdString(root_ + "/L2/");
        DropFiles::addDroppedItems(w.form.fileList(), {l0, loose, l2, l0}, errors, w.test.events);

        ReferenceScan reference(QStringLiteral("*.*"));
        Rows expected = reference.addFolderTreeFiles(root_ + "/L0");
        expected.push_back(root_ + "/plain.txt");
        for (const std::string& row : reference.addFolderTreeFiles(root_ + "/L2/"))
            expected.push_back(row);
        for (const std::string& row : reference.addFolderTreeFiles(root_ + "/L0"))
            expected.push_back(row);
        QCOMPARE(rowBytes(w.form.fileList()), expected);
        QVERIFY(w.test.dialogs.shown().empty());
    }

    void theAttributeRuleGivesTheValuesWrittenOut()
    {
        // Read-only 1, hidden 2, folder 16, archive (a regular file) 32, link 1024.
        const bool root = ::geteuid() == 0;
        const std::map<std::string, int> expected = {
            {"plain.txt", 32},
            {".writable", 2 + 32},
            {".readonly", 1 + 2 + 32},
            {".nobodys", root ? 2 + 32 : 1 + 2 + 32}, // root may write anyone's file
            {".dotlink", 1024 + 2 + 32},
            {"linked.txt", 1024 + 32},
            {"dangling", 1024 + 1}, // leads nowhere, so nothing can be written
            {"pipe", 0},
            {".pipe", 2},
            {".dotdir", 2 + 16},
            {"~folder", 16},
        };
        for (const auto& [name, value] : expected)
            QCOMPARE(FileSystem::attributesAt(AT_FDCWD, (root_ + "/" + name).c_str()), value);
    }

    // The size check against a plain stat() row by row, over a list long enough to keep the
    // pool well ahead, with failures of every kind spread through it.
    void sizeCheckMatchesAOneThreadLoop()
    {
        const std::string folder = root_ + "/sizes";
        makeDir(folder);
        makeDir(folder + "/shut");
        makeFile(folder + "/shut/inside.bin", 0644, 7);
        ::chmod((folder + "/shut").c_str(), 0);
        const auto reopen = qScopeGuard([&] { ::chmod((folder + "/shut").c_str(), 0755); });
        Rows paths;
        for (int i = 0; i < 6000; ++i) {
            const std::string path = folder + "/s" + std::to_string(i % 1500);
            if (i < 1500) makeFile(path, 0644, std::size_t(i % 97));
            switch (i % 211) {
            case 3:
                paths.push_back(folder + "/missing" + std::to_string(i));
                break;
            case 17:
                paths.push_back(folder + "/shut/inside.bin");
                break;
            case 29:
                paths.push_back(folder);
                break;
            case 41:
                paths.push_back(std::string());
                break;
            case 53:
                paths.push_back(std::string("bad\0name", 8));
                break;
            case 67:
                paths.push_back(root_ + "/pipe");
                break;
            case 79:
                paths.push_back(root_ + "/new\nline.txt");
                break;
            case 97:
                paths.push_back(root_ + "/bad\xff\xfe.txt");
                break;
            case 101:
                paths.push_back(root_ + "/dangling");
                break;
            case 113:
                paths.push_back(root_ + "/plain.txt/under");
                break;
            default:
                paths.push_back(path);
            }
        }

        const auto check = [&](bool asOrdinaryUser) {
            LoadedWindow w;
            radioButton(w.form, "Option1")->click();
            for (const std::string& path : paths)
                w.form.fileList().addUtf8(path);
            QList<PointerSetting> pointers;
            w.test.dialogs.whileShown([&] { pointers << w.form.mousePointer(); });
            {
                std::optional<ActingAsOrdinaryUser> user;
                if (asOrdinaryUser) user.emplace();
                clickControl(w.form, "PushButton4");
            }

            QStringList sizes, reports;
            {
                std::optional<ActingAsOrdinaryUser> user;
                if (asOrdinaryUser) user.emplace();
                for (const std::string& path : paths) {
                    try {
                        sizes << ConvertUnitTo(UnitBytes, double(lengthByStat(path)));
                    } catch (const RuntimeError& error) {
                        sizes << QString();
                        reports << ErrorReporter::reportText(
                            error.description(), QString::fromLatin1(ErrorReporter::kMainProject),
                            QStringLiteral("Form1"), QStringLiteral("PushButton4_Click"), 130);
                    }
                }
            }
            reports << QStringLiteral("Done.");

            RowList& results = w.form.resultsList();
            QCOMPARE(rowBytes(results), paths);
            QStringList shownSizes;
            for (int row = 1; row <= results.count(); ++row)
                shownSizes << results.subItem(row, 1);
            QCOMPARE(shownSizes, sizes);
            QCOMPARE(w.test.dialogs.texts(), reports);
            QVERIFY(reports.size() > 150);
            // Busy for every report, back to default for "Done.".
            QCOMPARE(pointers.count(PointerSetting::Busy), pointers.size() - 1);
            QCOMPARE(pointers.last(), PointerSetting::Default);
        };
        check(false);
        if (reachable_) check(true);
    }
};

BYTEMARSH_TEST_MAIN(ParallelOrderTest)
#include "test_parallel_order.moc"
