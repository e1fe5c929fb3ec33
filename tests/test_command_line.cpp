#include "desktop/command_line.h"
#include "support/adding_support.h"
#include "support/test_main.h"

#include <QTemporaryDir>

namespace {

CommandLine parse(const QStringList& arguments, const QString& here = QStringLiteral("/home/u"))
{
    return CommandLine::parse(QStringList{QStringLiteral("bytemarsh")} + arguments, here,
                              QStringLiteral("4.2"));
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { removeAllSettings(); }

    void helpAndVersionAnswerAndEndWell()
    {
        for (const QString& flag : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const CommandLine help = parse({flag, QStringLiteral("some/file")});
            QCOMPARE(help.action, CommandLine::Action::ShowHelp);
            QVERIFY(help.output.startsWith(QStringLiteral("Usage: bytemarsh ")));
            QVERIFY(help.output.contains(QStringLiteral("--new-window")));
            QVERIFY(!help.output.contains(QStringLiteral("platform"))); // toolkit options stay out
            QCOMPARE(help.exitCode(), 0);
        }
        for (const QString& flag : {QStringLiteral("--version"), QStringLiteral("-v")}) {
            const CommandLine version = parse({flag});
            QCOMPARE(version.action, CommandLine::Action::ShowVersion);
            QCOMPARE(version.output, QStringLiteral("Bytemarsh 4.2\n"));
            QCOMPARE(version.exitCode(), 0);
        }
    }

    void unknownOptionsAreRefusedWithTheirName()
    {
        for (const QString& bad : {QStringLiteral("--bogus"), QStringLiteral("-q"),
                                   QStringLiteral("--new-window=yes")}) {
            const CommandLine refused = parse({QStringLiteral("a.txt"), bad});
            QCOMPARE(refused.action, CommandLine::Action::Refuse);
            QCOMPARE(refused.exitCode(), 2);
            QVERIFY2(refused.output.startsWith(QStringLiteral("bytemarsh: ")),
                     qPrintable(refused.output));
            QVERIFY(refused.output.contains(QStringLiteral("--help")));
            QVERIFY(refused.paths.isEmpty());
        }
        QVERIFY(parse({QStringLiteral("--bogus")}).output.contains(QStringLiteral("'bogus'")));
    }

    void pathsBecomeAbsoluteInTheOrderGiven()
    {
        const CommandLine command =
            parse({QStringLiteral("b.txt"), QStringLiteral("/abs/a"), QStringLiteral("./sub//c/"),
                   QStringLiteral("../up"), QStringLiteral("x/./y")});
        QCOMPARE(command.action, CommandLine::Action::OpenWindow);
        QVERIFY(!command.newWindow);
        // ".." is left for the file system: through a linked folder it leads elsewhere.
        QCOMPARE(command.paths, QStringList({"/home/u/b.txt", "/abs/a", "/home/u/sub/c",
                                             "/home/u/../up", "/home/u/x/y"}));
        QCOMPARE(parse({}).paths, QStringList());
    }

    void optionLikeNamesAfterTheMarkerArePaths()
    {
        const CommandLine command =
            parse({QStringLiteral("--new-window"), QStringLiteral("--"), QStringLiteral("--help")});
        QCOMPARE(command.action, CommandLine::Action::OpenWindow);
        QVERIFY(command.newWindow);
        QCOMPARE(command.paths, QStringList({"/home/u/--help"}));
    }

    void toolkitOptionsAreLeftToTheToolkit()
    {
        const CommandLine command = parse({QStringLiteral("-platform"), QStringLiteral("xcb"),
                                           QStringLiteral("-reverse"), QStringLiteral("f")});
        QCOMPARE(command.action, CommandLine::Action::OpenWindow);
        QCOMPARE(command.paths, QStringList({"/home/u/f"})); // "xcb" is the option's value
    }

    void argvIsReadAsTheFileSystemNamesIt()
    {
        char program[] = "bytemarsh";
        char name[] = "caf\xc3\xa9";
        char* argv[] = {program, name};
        QCOMPARE(CommandLine::fromArgv(2, argv), QStringList({"bytemarsh", "café"}));
    }

    // What the window does with the paths: each as a drop of that item.
    void givenPathsGoInAsDropsAndMissingOnesAreSkipped()
    {
        const QString loose = writeFile(path("loose.txt"), "l");
        const QString tilde = writeFile(path("~tilde.txt"), "t");
        writeFile(path("tree/one.doc"), "1");
        writeFile(path("tree/sub/two"), "2");
        writeFile(path("tree/sub/~skip"), "~");
        AddingWindow w;
        w.form.addGivenPaths({loose, path("vanished"), QString(), path("tree"), tilde, loose});
        QCOMPARE(w.rows(),
                 QStringList({loose, path("tree/one.doc"), path("tree/sub/two"), tilde, loose}));
        QVERIFY(w.test.dialogs.shown().empty());
        QCOMPARE(w.test.settings.read("LastFolder", "unset"), QStringLiteral("unset"));
    }

    void aDanglingLinkIsAnEntryAndGoesIn()
    {
        const QString link = path("dangling");
        QVERIFY(QFile::link(path("nowhere"), link));
        AddingWindow w;
        w.form.addGivenPaths({link});
        QCOMPARE(w.rows(), QStringList({link}));
    }
};

BYTEMARSH_TEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
