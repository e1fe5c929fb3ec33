// `bytemarsh --check` as a script runs it: the real program in a process of its own, with no
// display, beside the real window offscreen doing the same with the same files. Every road in
// and out must give the window's own bytes.

#include "adding/list_file_lines.h"
#include "cli/check_arguments.h"
#include "cli/check_messages.h"
#include "cli/check_run.h"
#include "cli/standard_streams.h"
#include "cli/terminal_text.h"
#include "platform/desktop_spreadsheet.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "support/zip_part.h"
#include "ui/form1.h"

#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const QByteArray kProgram = QByteArrayLiteral(BYTEMARSH_PROGRAM);

struct Finished
{
    int status = -1; // the exit status, or 128 + the signal that ended it
    QByteArray out;
    QByteArray err;
};

// What the program's process gets besides its arguments.
struct Start
{
    QByteArray input{};            // on standard input, then closed
    int stderrFd = -1;             // standard error there instead of a pipe (a terminal)
    QByteArray configHome{};       // XDG_CONFIG_HOME, when not the suite's own
    std::size_t fileSizeLimit = 0; // RLIMIT_FSIZE, when not 0
    QByteArray program = kProgram; // argv[0]
};

// Runs a program with the arguments as the system passes them (bytes, not texts), with no
// display of any kind in its environment, and collects what it writes.
Finished run(const QList<QByteArray>& arguments, const Start& start = {})
{
    std::vector<QByteArray> environment;
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray variable(*entry);
        if (variable.startsWith("DISPLAY=") || variable.startsWith("WAYLAND_DISPLAY=") ||
            variable.startsWith("QT_QPA_PLATFORM=") ||
            (!start.configHome.isEmpty() && variable.startsWith("XDG_CONFIG_HOME=")))
            continue;
        environment.push_back(variable);
    }
    if (!start.configHome.isEmpty()) environment.push_back("XDG_CONFIG_HOME=" + start.configHome);
    std::vector<char*> envp;
    for (QByteArray& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    QList<QByteArray> argvBytes = {start.program};
    argvBytes += arguments;
    std::vector<char*> argv;
    for (QByteArray& argument : argvBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        qFatal("pipe: %s", std::strerror(errno));
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(start.stderrFd >= 0 ? start.stderrFd : err[1], 2);
        if (start.fileSizeLimit > 0) {
            const rlimit limit{start.fileSizeLimit, start.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);

    Finished finished;
    qsizetype written = 0;
    int inFd = in[1];
    if (start.input.isEmpty()) {
        ::close(inFd);
        inFd = -1;
    }
    ::signal(SIGPIPE, SIG_IGN);
    for (int open = 2; open > 0;) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
        if (::poll(fds, inFd >= 0 ? 3 : 2, 60000) <= 0) qFatal("the program does not end");
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[65536];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                (i == 0 ? finished.out : finished.err).append(buffer, got);
            } else {
                ::close(fds[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
            }
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t put = ::write(inFd, start.input.constData() + written,
                                        std::size_t(start.input.size() - written));
            written += put > 0 ? put : 0;
            if (put < 0 || written == start.input.size()) {
                ::close(inFd);
                inFd = -1;
            }
        }
    }
    if (inFd >= 0) ::close(inFd);
    int status = 0;
    ::waitpid(child, &status, 0);
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return finished;
}

QByteArray bytes(const QString& text)
{
    return text.toUtf8();
}

QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray encoded = bigEndian ? QByteArrayLiteral("\xFE\xFF") : QByteArrayLiteral("\xFF\xFE");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xff);
        encoded += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                             : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return encoded;
}

// The window, driven as a person would, with the same files.
struct Window : LoadedWindow
{
    // As the program's arguments and a drop add them.
    void give(const QByteArray& path) { form.addGivenPaths({path}); }
    void loadList(const QString& list)
    {
        test.dialogs.answerOpenFile({list});
        clickControl(form, "PushButton3");
    }
    void addFolder(const QString& extension, const QString& folder)
    {
        test.dialogs.answerInput(extension);
        test.dialogs.answerFolder(folder);
        clickControl(form, "PushButton10");
    }
    void check(short unit)
    {
        QRadioButton* options[] = {radioButton(form, "Option1"), radioButton(form, "Option2"),
                                   radioButton(form, "Option3"), radioButton(form, "Option4")};
        options[unit]->click();
        test.dialogs.clearShown();
        clickControl(form, "PushButton4");
    }
    // The error reports the check showed, each as "description".
    QStringList reportedDescriptions() const
    {
        QStringList descriptions;
        for (const auto& box : test.dialogs.shown())
            if (box.title == QStringLiteral("Application Error"))
                descriptions << box.text.section(QStringLiteral("\r\n"), 0, 0);
        return descriptions;
    }
    // Every results row ticked, copied, with the line ends a terminal's tools use.
    QByteArray copied()
    {
        for (int row = 1; row <= form.resultsList().count(); ++row)
            form.resultsList().setChecked(row, true);
        clickControl(form, "PushButton18");
        return test.clipboard.text().toUtf8().replace("\r\n", "\n");
    }
    QByteArray savedText(const QString& path)
    {
        test.dialogs.answerSaveFile(path);
        test.dialogs.answerMessage(AnswerYes);
        clickControl(form, "PushButton6");
        return contentOf(path);
    }
    // The workbook the export hands to the desktop, written into `folder`.
    QString savedWorkbook(const QString& folder)
    {
        for (int row = 1; row <= form.resultsList().count(); ++row)
            form.resultsList().setChecked(row, true);
        QDir().mkpath(folder);
        test.useSpreadsheet(std::make_unique<DesktopSpreadsheetLauncher>(test.shell, folder, [] {
            return SpreadsheetProgram{true, {}};
        }));
        clickControl(form, "PushButton12");
        return QDir(folder).filePath(QStringLiteral("Bytemarsh results.xlsx"));
    }
};

// What the program says on standard error about each failing row, from the window's reports.
QByteArray reportLines(const QStringList& paths, const QStringList& descriptions,
                       const QList<int>& numbers)
{
    QByteArray lines;
    for (qsizetype i = 0; i < paths.size(); ++i)
        lines += "bytemarsh: " + bytes(paths[i]) + ": " + bytes(descriptions[i]) + " (error " +
                 QByteArray::number(numbers[i]) + ")\n";
    return lines;
}

} // namespace

class CheckModeTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    QByteArray native(const QString& name) const { return QFile::encodeName(path(name)); }

    // A run inside this process, its two streams into files, so that its rows can be read.
    struct Here
    {
        int status = -1;
        QByteArray err;
        QList<std::optional<std::int64_t>> sizes;
        QStringList sizeTexts;
    };
    Here runHere(const QStringList& arguments)
    {
        const CheckArguments parsed =
            CheckArguments::parse(QStringList{"bytemarsh", "--check"} + arguments, dir_.path());
        const int outFd =
            ::open(native("here.out").constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        const int errFd =
            ::open(native("here.err").constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        Here here;
        {
            StandardError errors(errFd);
            StandardOutput output(errors, outFd);
            CheckRun run(parsed, errors, output);
            here.status = run.run();
            for (int row = 1; row <= run.rows().count(); ++row) {
                here.sizes << run.rows().size(row);
                here.sizeTexts << run.rows().subItem(row, 1);
            }
        }
        ::close(outFd);
        ::close(errFd);
        here.err = contentOf(path("here.err"));
        return here;
    }

    // A tree of every kind the folder scan meets, a file beside it and a list file that names
    // a file, a missing file, an empty line and a folder.
    void makeFiles()
    {
        writeFile(path("tree/a.txt"), "hello");
        writeFile(path("tree/sub/b.dat"), QByteArray(1536, 'b'));
        writeFile(path("tree/sub/deeper/c.txt"), QByteArray(1048577, 'c'));
        writeFile(path("tree/sub/~skipped.txt"), "tilde");
        writeFile(path("tree/.writable"), "dot-file that is hidden plus archive");
        writeFile(path("tree/.readonly"), "a read-only dot-file counts");
        ::chmod(native("tree/.readonly").constData(), 0444);
        writeFile(path("tree/x.TXT"), "upper case");
        writeFile(path("single.bin"), QByteArray(123456789 % 100000, 's'));
        const QString lines = path("single.bin") + QStringLiteral("\r\n") + path("missing.bin") +
                              QStringLiteral("\r\n\r\n") + path("tree") + QStringLiteral("\r\n");
        writeFile(path("list16.txt"), utf16(lines, false));
        // More than any pipe holds: one file, many times. The last line ends too, so no empty
        // row follows it.
        QByteArray many;
        for (int i = 0; i < 100000; ++i)
            many += native("tree/a.txt") + "\r\n";
        writeFile(path("long list.txt"), many);
    }

private slots:
    void initTestCase() { makeFiles(); }
    void init()
    {
        removeAllSettings();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void everyRoadGivesTheWindowsBytes_data()
    {
        QTest::addColumn<short>("unit");
        QTest::addColumn<QByteArray>("option");
        QTest::newRow("default") << short(UnitBytes) << QByteArray();
        QTest::newRow("kb") << short(UnitKilobytes) << QByteArray("--unit=kb");
        QTest::newRow("MB") << short(UnitMegabytes) << QByteArray("--unit=MB");
        QTest::newRow("gb") << short(UnitGigabytes) << QByteArray("--unit=gb");
    }

    void everyRoadGivesTheWindowsBytes()
    {
        QFETCH(short, unit);
        QFETCH(QByteArray, option);
        const QString text = path(QStringLiteral("cli-%1.txt").arg(unit));
        QList<QByteArray> arguments = {
            "--check", native("tree"), "--list", native("list16.txt"), native("single.bin"),
            "--text",  bytes(text)};
        if (!option.isEmpty()) arguments.insert(1, option);
        const Finished cli = run(arguments);

        Window w;
        w.give(native("tree"));
        w.loadList(path("list16.txt"));
        w.give(native("single.bin"));
        QCOMPARE(w.form.fileList().count(), 10);
        w.check(unit);

        QCOMPARE(cli.out, w.copied());
        QCOMPARE(contentOf(text), w.savedText(path(QStringLiteral("window-%1.txt").arg(unit))));
        // The empty line and the folder fail as the missing file does, each reported once.
        QCOMPARE(w.reportedDescriptions(),
                 QStringList({"File not found", "File not found",
                              "Path/File access error (a folder has no length)"}));
        QCOMPARE(cli.err, reportLines({path("missing.bin"), QString(), path("tree")},
                                      w.reportedDescriptions(), {53, 53, 75}));
        QCOMPARE(cli.status, 1);
    }

    void theWorkbookIsTheWindowsWorkbook()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup.sh installs it)");
        const QString workbook = path("cli.xlsx");
        const Finished cli = run({"--check", "--unit", "kb", "--xlsx", bytes(workbook),
                                  native("tree"), "--list", native("list16.txt")});
        QCOMPARE(cli.status, 1);

        Window w;
        w.give(native("tree"));
        w.loadList(path("list16.txt"));
        w.check(UnitKilobytes);
        const QString windows = w.savedWorkbook(path("window-workbooks"));
        // The texts stand in the sheet itself, as streamed rows write them.
        const QByteArray expected = zipPart(windows, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(!expected.isEmpty());
        const QByteArray sheet = zipPart(workbook, QStringLiteral("xl/worksheets/sheet1.xml"));
        QCOMPARE(sheet, expected);
        for (const QByteArray& text :
             {QByteArray("File Size"), QByteArray("1024 KB"), bytes(path("tree/sub/deeper/c.txt"))})
            QVERIFY2(sheet.contains(text), text.constData());
    }

    void anExtensionTakesWhatAddAllFilesInFolderTakes()
    {
        // A file named outright is one row whatever its extension, as a drop takes it.
        const Finished cli =
            run({"--check", "--extension", "txt", native("tree"), native("single.bin")});
        Window w;
        w.addFolder(QStringLiteral("txt"), path("tree"));
        w.give(native("single.bin"));
        w.check(UnitBytes);
        // The match ignores case, as the folder scan's always has.
        QCOMPARE(w.form.resultsList().count(), 4);
        QCOMPARE(cli.out, w.copied());
        QCOMPARE(cli.err, QByteArray());
        QCOMPARE(cli.status, 0);
    }

    void standardInputIsReadAsAListFileIs()
    {
        // UTF-16 the other way round, bare line feeds, no end to the last line.
        const QByteArray list =
            utf16(path("tree/a.txt") + QStringLiteral("\n") + path("single.bin") +
                      QStringLiteral("\n  ") + path("tree/a.txt"),
                  true);
        writeFile(path("list16be.txt"), list);
        const Finished cli =
            run({"--check", native("single.bin"), "--list", "-", native("tree/sub/b.dat")},
                {.input = list});
        Window w;
        w.give(native("single.bin"));
        w.loadList(path("list16be.txt"));
        w.give(native("tree/sub/b.dat"));
        w.check(UnitBytes);
        QCOMPARE(w.form.resultsList().count(), 5);
        QCOMPARE(cli.out, w.copied());
        QCOMPARE(cli.err, bytes("bytemarsh:   " + path("tree/a.txt") +
                                QStringLiteral(": File not found (error 53)\n")));
        QCOMPARE(cli.status, 1);
    }

    // A list as find or printf writes it ends in a line feed, which makes no row here; an
    // empty line before the end is still a row, and fails as one.
    void theLastLineFeedEndsTheList()
    {
        const QByteArray found = native("tree/a.txt") + "\n" + native("single.bin") + "\n";
        writeFile(path("found.txt"), found);
        const Finished fromFile = run({"--check", "--list", native("found.txt")});
        QCOMPARE(fromFile.status, 0);
        QCOMPARE(fromFile.err, QByteArray());
        QCOMPARE(fromFile.out.count('\n'), 2);
        const Finished fromInput =
            run({"--check", "--list", "-"}, {.input = native("tree/a.txt") + "\n\n" + found});
        QCOMPARE(fromInput.status, 1);
        QCOMPARE(fromInput.out.count('\n'), 4);
        QCOMPARE(fromInput.err, QByteArray("bytemarsh: : File not found (error 53)\n"));
    }

    // With --null each list holds names that end in NUL, a line feed inside one included.
    void nullReadsEachListAsNamesThatEndInNul()
    {
        QDir().mkpath(path("nul"));
        const QByteArray odd = native("nul") + "/two\nlines";
        writeFile(QFile::decodeName(odd), "abc");
        const QByteArray plain = native("tree/a.txt");
        // The last name needs no NUL of its own.
        const QByteArray names = odd + '\0' + plain;
        writeFile(path("names.nul"), names + '\0');
        const QByteArray rows = odd + "\t3 bytes" + '\0' + plain +
                                QByteArray(odd.size() - plain.size(), ' ') + "\t5 bytes" + '\0';
        const Finished fromFile = run({"--check", "-0", "--list", native("names.nul")});
        QCOMPARE(fromFile.err, QByteArray());
        QCOMPARE(fromFile.out, rows);
        const Finished fromInput = run({"--check", "--null", "--list", "-"}, {.input = names});
        QCOMPARE(fromInput.err, QByteArray());
        QCOMPARE(fromInput.out, rows);
        QCOMPARE(fromInput.status, 0);
    }

    // As du and find do, and unlike the window, the run says which folder it could not read.
    void aFolderThatCannotBeReadIsSaidOnce()
    {
        // Root reads any folder: the run goes as nobody, in a folder nobody may enter.
        QTemporaryDir open(QDir::tempPath() + QStringLiteral("/check-unreadable-XXXXXX"));
        QVERIFY(open.isValid());
        QFile::setPermissions(open.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
        const QString tree = open.filePath(QStringLiteral("tree"));
        writeFile(tree + QStringLiteral("/a.txt"), "abc");
        writeFile(tree + QStringLiteral("/closed/hidden.txt"), "x");
        QCOMPARE(::chmod(QFile::encodeName(tree + QStringLiteral("/closed")).constData(), 0), 0);
        const QByteArray asNobody =
            ::geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
        if (run({"-c", asNobody + "test -x \"$0\"", kProgram}, {.program = "/bin/bash"}).status !=
            0)
            QSKIP("nobody may not run the program where it was built");
        const Finished said =
            run({"-c", asNobody + "\"$0\" --check \"$1\"", kProgram, QFile::encodeName(tree)},
                {.program = "/bin/bash"});
        ::chmod(QFile::encodeName(tree + QStringLiteral("/closed")).constData(), 0700);
        QCOMPARE(said.status, 1);
        QCOMPARE(said.out, QFile::encodeName(tree) + "/a.txt\t3 bytes\n");
        QCOMPARE(said.err, "bytemarsh: " + QFile::encodeName(tree) +
                               "/closed: Permission denied (error 70)\n");
    }

    void namesThatAreNotUtf8KeepTheirBytes()
    {
        const QByteArray folder = native("latin");
        ::mkdir(folder.constData(), 0755);
        const QByteArray cafe = folder + "/caf\xe9.bin";
        const QByteArray plain = folder + "/plain name.txt";
        for (const QByteArray& file : {cafe, plain}) {
            const int fd = ::open(file.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, "12345", 5), 5);
            ::close(fd);
        }
        const QString text = path("latin.txt");
        const Finished cli = run({"--check", cafe, folder, "--text", bytes(text)});
        QCOMPARE(cli.err, QByteArray());
        QCOMPARE(cli.status, 0);

        // The folder's order is the directory's; the rows are the named file, then the two.
        const QList<QByteArray> lines = cli.out.split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], cafe + QByteArray(plain.size() - cafe.size(), ' ') + "\t5 bytes");
        QVERIFY(lines.contains(plain + "\t5 bytes"));
        QVERIFY(lines.contains(cafe + QByteArray(plain.size() - cafe.size(), ' ') + "\t5 bytes"));
        QCOMPARE(lines[3], QByteArray());

        Window w;
        w.give(cafe);
        w.give(folder);
        w.check(UnitBytes);
        const QByteArray saved = w.savedText(path("latin-window.txt"));
        QVERIFY(saved.startsWith(cafe + "\r\n"));
        QCOMPARE(contentOf(text), saved);
        // Gone by its bytes: the temporary folder's removal goes by texts.
        QCOMPARE(::unlink(cafe.constData()), 0);
    }

    void theExitStatusSaysWhatHappened()
    {
        Finished all = run({"--check", native("tree/a.txt"), native("single.bin")});
        QCOMPARE(all.status, 0);
        QCOMPARE(all.err, QByteArray());

        Finished missing =
            run({"--check", native("tree/a.txt"), "missing here", "--list", native("no list.txt")});
        QCOMPARE(missing.status, 1);
        // The rows are all gathered before the first is checked. Relative names are taken
        // from the folder the program was started in.
        QCOMPARE(missing.err, "bytemarsh: " + native("no list.txt") +
                                  ": File not found\n"
                                  "bytemarsh: " +
                                  QFile::encodeName(QDir::currentPath()) +
                                  "/missing here: File not found (error 53)\n");
        QCOMPARE(missing.out.count('\n'), 2);

        Finished help = run({"--check", "--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.startsWith("Usage: bytemarsh "));
        QVERIFY(help.out.contains("--xlsx FILE"));
        QCOMPARE(help.err, QByteArray());
    }

    // The status is the messages' flag: anything said, an error report or a notice, makes it 1.
    // Each row keeps its byte count, as the window's results rows do.
    void theStatusIsWhetherAnythingWasSaid()
    {
        const Here sized = runHere({"--unit=kb", path("tree/sub/b.dat"), path("single.bin")});
        QCOMPARE(sized.status, 0);
        QCOMPARE(sized.err, QByteArray());
        QCOMPARE(sized.sizes, (QList<std::optional<std::int64_t>>{1536, 56789}));
        QCOMPARE(sized.sizeTexts, QStringList({"1.5 KB", "55.45 KB"}));

        const Here missing = runHere({path("missing.bin"), path("tree/a.txt")});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.err,
                 "bytemarsh: " + native("missing.bin") + ": File not found (error 53)\n");
        QCOMPARE(missing.sizes, (QList<std::optional<std::int64_t>>{std::nullopt, 5}));

        // A notice alone: every row is sized, but a line of the list was left out.
        writeFile(path("overlong.txt"), QByteArray(ListFileLines::kLongestRow + 1, 'x') + "\r\n" +
                                            native("tree/a.txt") + "\r\n");
        const Here noticed = runHere({"--list", path("overlong.txt")});
        QCOMPARE(noticed.status, 1);
        QCOMPARE(noticed.err,
                 "bytemarsh: " + native("overlong.txt") + ": Line 1 of " + native("overlong.txt") +
                     " was left out: it is longer than any path can be (more than " +
                     QByteArray::number(qulonglong(ListFileLines::kLongestRow)) + " bytes).\n");
        QCOMPARE(noticed.sizes, (QList<std::optional<std::int64_t>>{5}));
    }

    void aMessageIsOneLineAboutItsSubject()
    {
        const int fd = ::open(native("said.err").constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        StandardError errors(fd);
        CheckMessages messages(errors);
        QVERIFY(!messages.errored());
        messages.tell(QStringLiteral("no subject\r\n\r\nyet"));
        QVERIFY(messages.errored());
        messages.setSubject("a b/c");
        ErrorReport report;
        report.description = QStringLiteral("no number");
        messages.report(report);
        report.number = 76;
        messages.report(report);
        messages.clearSubject();
        messages.tell(QStringLiteral("done"));
        ::close(fd);
        QCOMPARE(contentOf(path("said.err")),
                 QByteArray("bytemarsh: no subject yet\nbytemarsh: a b/c: no number\n"
                            "bytemarsh: a b/c: no number (error 76)\nbytemarsh: done\n"));
    }

    void aWrongCommandLineEndsWithTwoAndTheUsage_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("unknown option") << QList<QByteArray>{"--check", "--units", "kb", "x"}
                                        << QByteArray("unknown option '--units'");
        QTest::newRow("unknown unit") << QList<QByteArray>{"--check", "--unit", "tb", "x"}
                                      << QByteArray("unknown unit 'tb': bytes, kb, mb or gb");
        QTest::newRow("no value") << QList<QByteArray>{"--check", "x", "--list"}
                                  << QByteArray("--list needs a value");
        QTest::newRow("nothing") << QList<QByteArray>{"--check", "--unit", "mb"}
                                 << QByteArray("nothing to check");
        QTest::newRow("twice") << QList<QByteArray>{"--check", "--text=a", "--text=b", "x"}
                               << QByteArray("--text is given more than once");
        QTest::newRow("empty extension") << QList<QByteArray>{"--check", "--extension=", "x"}
                                         << QByteArray("--extension needs a value");
        QTest::newRow("not UTF-8") << QList<QByteArray>{"--check", "--text", "r\xe9s.txt", "x"}
                                   << QByteArray("--text: the name is not UTF-8");
    }

    void aWrongCommandLineEndsWithTwoAndTheUsage()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(QByteArray, error);
        const Finished wrong = run(arguments);
        QCOMPARE(wrong.status, 2);
        QCOMPARE(wrong.out, QByteArray());
        QVERIFY2(wrong.err.startsWith("bytemarsh: " + error), wrong.err.constData());
        QVERIFY(wrong.err.contains("\nUsage: bytemarsh [OPTION]..."));
        QVERIFY(!QFileInfo::exists(QStringLiteral("a")));
    }

    void theSettingsAreNeitherReadNorWritten()
    {
        // Megabytes stored as the window's choice, which the check must not follow.
        const QString config = path("config");
        const QString ini = config + QStringLiteral("/Quillory/Bytemarsh.ini");
        const QByteArray stored = "[Bytemarsh]\nOption1=False\nOption2=False\nOption3=True\n"
                                  "Option4=False\nExtension=dat\n";
        writeFile(ini, stored);
        const Finished cli =
            run({"--check", native("tree/sub/b.dat")}, {.configHome = bytes(config)});
        QCOMPARE(cli.out, native("tree/sub/b.dat") + "\t1536 bytes\n");
        QCOMPARE(contentOf(ini), stored);
        QCOMPARE(QDir(config + QStringLiteral("/Quillory"))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList({QStringLiteral("Bytemarsh.ini")}));
    }

    void aClosedOutputEndsQuietly()
    {
        // More than any pipe holds, so the program writes on after the reader has gone.
        const QByteArray lines = contentOf(path("long list.txt"));
        const QByteArray script = "set -o pipefail; \"$0\" --check --list \"$1\" $2 | head -n 1; "
                                  "echo \"status ${PIPESTATUS[0]}\"";
        for (const QByteArray& more : {QByteArray(), "--text=" + native("long.txt")}) {
            const Finished piped = run({"-c", script, kProgram, native("long list.txt"), more},
                                       {.program = "/bin/bash"});
            QCOMPARE(piped.err, QByteArray());
            const QList<QByteArray> out = piped.out.split('\n');
            QCOMPARE(out.size(), 3);
            QCOMPARE(out[0], native("tree/a.txt") + "\t5 bytes");
            // Asked for a file too, the run goes on to its end and writes it.
            if (more.isEmpty())
                QVERIFY2(out[1] == "status 141" || out[1] == "status 0", out[1].constData());
            else
                QCOMPARE(out[1], QByteArray("status 0"));
        }
        QCOMPARE(contentOf(path("long.txt")), lines);
    }

    // Descriptor 1 closed at start must not become a file the program opens later.
    void aStandardOutputClosedAtStartEndsQuietly()
    {
        const QByteArray script = "\"$0\" --check \"$1\" >&-; echo \"status $?\" >&2";
        const Finished closed =
            run({"-c", script, kProgram, native("tree/a.txt")}, {.program = "/bin/bash"});
        QCOMPARE(closed.err, QByteArray("status 0\n"));
        QCOMPARE(closed.out, QByteArray());
    }

    void nullEndsEachLineAndAPipeGetsTheBytes()
    {
        const QByteArray name = native("odd") + "/two\nlines\x1b[31m";
        QDir().mkpath(path("odd"));
        writeFile(QFile::decodeName(name), "abc");
        const Finished piped = run({"--check", "--null", name, native("tree/a.txt")});
        QCOMPARE(piped.status, 0);
        const qsizetype width = name.size();
        QCOMPARE(piped.out, name + "\t3 bytes" + '\0' + native("tree/a.txt") +
                                QByteArray(width - native("tree/a.txt").size(), ' ') + "\t5 bytes" +
                                '\0');
    }

    // As a user's terminal shows it: every row one line, and the name a shell takes back.
    void onATerminalANameCannotForgeARowOrDriveTheTerminal()
    {
        QDir().mkpath(path("forged"));
        const QByteArray forged = native("forged") + "/nl\nfake\t99 bytes";
        writeFile(QFile::decodeName(forged), "abc");
        const QByteArray missing = native("forged") + "/gone\x1b]0;owned\x07";
        // script(1) hands the line to $SHELL, which must read bash's $'...' quoting.
        const QByteArray script =
            "SHELL=/bin/bash script -qec \"$(printf '%q ' \"$0\" --check \"$1\" \"$2\")\" "
            "/dev/null";
        const Finished shown =
            run({"-c", script, kProgram, forged, missing}, {.program = "/bin/bash"});
        // The message comes at once, the rows in blocks: their order is not fixed, and the
        // terminal may add lines of its own.
        const QByteArray quoted = "'" + native("forged") + "/nl'$'\\n''fake'$'\\t''99 bytes'";
        const QByteArray message =
            "bytemarsh: '" + native("forged") + "/gone'$'\\033'']0;owned'$'\\a': File not found";
        bool row = false;
        bool said = false;
        for (const QByteArray& line : shown.out.split('\n')) {
            const QByteArray shownLine = line.trimmed();
            QVERIFY2(!shownLine.startsWith("fake"), shown.out.constData());
            row = row || shownLine.startsWith(quoted + "\t3 bytes");
            said = said || shownLine.startsWith(message);
        }
        QVERIFY2(row && said, shown.out.constData());
        QVERIFY(!shown.out.contains("\x1b]0;owned"));
    }

    void terminalNamesAreTheShellsQuoting()
    {
        QCOMPARE(terminalName("/plain/é name.txt"), std::string("/plain/é name.txt"));
        QCOMPARE(terminalName("\nit's"), std::string("$'\\n''it'\\''s'"));
        QCOMPARE(terminalName("a\x7f"), std::string("'a'$'\\177'"));
        // Bytes that are not UTF-8, and the C1 control some terminals obey as an escape.
        QCOMPARE(terminalName("\xff\xc2\x9b"), std::string("$'\\377'$'\\302'$'\\233'"));
        QCOMPARE(terminalText("a\rb\x1b"), std::string("a?b?"));
    }

    void anOutputFileIsReplacedWholeOrNotAtAll()
    {
        const QString text = path("kept.txt");
        const QString workbook = path("kept.xlsx");
        writeFile(text, "the old text");
        writeFile(workbook, "the old workbook");
        // Files may not grow past 2 KiB: the lines and the workbook do.
        const Finished limited = run({"--check", "--list", native("long list.txt"), "--text",
                                      bytes(text), "--xlsx", bytes(workbook)},
                                     {.fileSizeLimit = 2048});
        QCOMPARE(limited.status, 1);
        const QList<QByteArray> said = limited.err.split('\n');
        QCOMPARE(said.size(), 3);
        QVERIFY2(said[0].startsWith("bytemarsh: " + bytes(text) + ": Path/File access error ("),
                 said[0].constData());
        QVERIFY2(said[1].startsWith("bytemarsh: " + bytes(workbook) + ": Path/File access error"),
                 said[1].constData());
        QCOMPARE(contentOf(text), QByteArray("the old text"));
        QCOMPARE(contentOf(workbook), QByteArray("the old workbook"));

        const Finished nowhere =
            run({"--check", native("tree/a.txt"), "--text", native("no folder/out.txt")});
        QCOMPARE(nowhere.status, 1);
        QCOMPARE(nowhere.err,
                 "bytemarsh: " + native("no folder/out.txt") + ": Path not found (error 76)\n");
        QCOMPARE(nowhere.out, native("tree/a.txt") + "\t5 bytes\n");
    }

    // Ctrl-C in the middle of a slow check: the lines written stay, the files asked for do not
    // change, and the status says so.
    void ctrlCStopsTheRunAndLeavesTheFilesAsTheyWere()
    {
        QDir().mkpath(path("slow"));
        QByteArray list;
        for (int i = 0; i < 1000; ++i) {
            writeFile(path(QStringLiteral("slow/f%1").arg(i)), "data");
            list += native(QStringLiteral("slow/f%1").arg(i)) + "\r\n";
        }
        writeFile(path("slow list.txt"), list);
        writeFile(path("stopped.txt"), "the old text");
        writeFile(path("stopped.xlsx"), "the old workbook");
        // Each stat of a row takes 20 ms: the sizes come in blocks, the first within about a
        // second and a half, the last after several seconds.
        const QByteArray script =
            "ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 LD_PRELOAD=\"$1\" "
            "BYTEMARSH_SLOW_PATHS=/slow/f BYTEMARSH_SLOW_MS=20 \"$0\" --check --list \"$2\" "
            "--text \"$3\" --xlsx \"$4\" & sleep 2.5; kill -INT $!; wait $!";
        const Finished stopped = run({"-c", script, kProgram, SLOW_STAT, native("slow list.txt"),
                                      native("stopped.txt"), native("stopped.xlsx")},
                                     {.program = "/bin/bash"});
        QCOMPARE(stopped.status, 130);
        const qsizetype lines = stopped.out.count('\n');
        QVERIFY2(lines >= 1 && lines < 1000, stopped.out.right(200).constData());
        QVERIFY(stopped.out.endsWith("\t4 bytes\n"));
        QCOMPARE(contentOf(path("stopped.txt")), QByteArray("the old text"));
        QCOMPARE(contentOf(path("stopped.xlsx")), QByteArray("the old workbook"));
        QDir folder(dir_.path());
        QCOMPARE(folder.entryList({QStringLiteral(".stopped*"), QStringLiteral("*.tmp*")},
                                  QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void aTerminalAloneShowsTheRunningCount()
    {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(master >= 0);
        QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(terminal >= 0);
        // The list arrives in two halves, a while apart, so the count has time to show.
        const QByteArray script =
            "{ head -n 50000 \"$1\"; sleep 0.5; tail -n +50001 \"$1\"; } | \"$0\" --check "
            "--list - | wc -l";
        const Finished shown = run({"-c", script, kProgram, native("long list.txt")},
                                   {.stderrFd = terminal, .program = "/bin/bash"});
        ::close(terminal);
        QByteArray screen;
        for (char buffer[4096];;) {
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) break;
            screen.append(buffer, got);
        }
        ::close(master);
        QCOMPARE(shown.status, 0);
        QCOMPARE(shown.out.trimmed(), QByteArray("100000"));
        QVERIFY2(QRegularExpression(QStringLiteral("bytemarsh: [1-9][0-9]* rows found, [0-9]+ "
                                                   "checked, [0-9]+ rows/s"))
                     .match(QString::fromUtf8(screen))
                     .hasMatch(),
                 screen.constData());
        // Cleared at the end: nothing follows the last clearing.
        QVERIFY2(screen.endsWith("\r\x1b[K"), screen.constData());

        const Finished piped = run({"--check", "--list", native("long list.txt")});
        QCOMPARE(piped.err, QByteArray());
    }

    // The command line's own reading, without a process.
    void theArgumentsKeepTheirOrder()
    {
        const QString here = path("here");
        const QStringList arguments = {"bytemarsh",
                                       "--list",
                                       "a.lst",
                                       "b",
                                       "--check",
                                       "--unit",
                                       "GB",
                                       "--list=-",
                                       "--",
                                       "--list",
                                       QString(QChar(0xDCE9)) + "x"};
        const CheckArguments parsed = CheckArguments::parse(arguments, here);
        QCOMPARE(parsed.action, CheckArguments::Action::Check);
        QCOMPARE(parsed.unit, short(UnitGigabytes));
        using Kind = CheckArguments::Input::Kind;
        QCOMPARE(parsed.inputs.size(), std::size_t(5));
        const std::pair<Kind, QByteArray> expected[] = {
            {Kind::List, "a.lst"},
            {Kind::Path, bytes(here + "/b")},
            {Kind::StandardInput, {}},
            {Kind::Path, bytes(here + "/--list")},
            {Kind::Path, bytes(here) + "/\xe9x"},
        };
        for (std::size_t i = 0; i < parsed.inputs.size(); ++i) {
            QCOMPARE(parsed.inputs[i].kind, expected[i].first);
            QCOMPARE(parsed.inputs[i].name, expected[i].second);
        }

        char program[] = "bytemarsh", check[] = "--check", dashes[] = "--";
        char* before[] = {program, check, dashes};
        char* after[] = {program, dashes, check};
        QVERIFY(CheckArguments::requested(3, before));
        QVERIFY(!CheckArguments::requested(3, after));
    }
};

BYTEMARSH_TEST_MAIN(CheckModeTest)
#include "test_check_mode.moc"
