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
        QCOMPARE(command.paths, QByteArrayList({"/home/u/b.txt", "/abs/a", "/home/u/sub/c",
                                                "/home/u/../up", "/home/u/x/y"}));
        QCOMPARE(parse({}).paths, QByteArrayList());
    }

    void optionLikeNamesAfterTheMarkerArePaths()
    {
        const CommandLine command =
            parse({QStringLiteral("--new-window"), QStringLiteral("--"), QStringLiteral("--help")});
        QCOMPARE(command.action, CommandLine::Action::OpenWindow);
        QVERIFY(command.newWindow);
        QCOMPARE(command.paths, QByteArrayList({"/home/u/--help"}));
    }

    void toolkitOptionsAreLeftToTheToolkit()
    {
        const CommandLine command = parse({QStringLiteral("-platform"), QStringLiteral("xcb"),
                                           QStringLiteral("-reverse"), QStringLiteral("f")});
        QCOMPARE(command.action, CommandLine::Action::OpenWindow);
        QCOMPARE(command.paths, QByteArrayList({"/home/u/f"})); // "xcb" is the option's value
    }

    void argvIsReadAsTheFileSystemNamesIt()
    {
        char program[] = "bytemarsh";
        char name[] = "caf\xc3\xa9";
        char latin[] = "caf\xe9 \xff\xc3";
        char* argv[] = {program, name, latin};
        const QStringList arguments = CommandLine::fromArgv(3, argv);
        QCOMPARE(arguments.mid(0, 2), QStringList({"bytemarsh", "café"}));
        // Bytes that are not UTF-8 come back exactly, as a path and after the parse.
        QCOMPARE(CommandLine::nativeBytes(arguments[2]), QByteArray(latin));
        const CommandLine command =
            CommandLine::parse(arguments, QStringLiteral("/h\u00e9re"), QStringLiteral("1.0"));
        QCOMPARE(command.paths,
                 QByteArrayList({"/h\xc3\xa9re/caf\xc3\xa9", QByteArray("/h\xc3\xa9re/") + latin}));
        for (const QByteArray& bytes : {QByteArray("\xed\xb2\x80"), QByteArray("\xf4\x90\x80\x80"),
                                        QByteArray("a\xe2\x82"), QByteArray("\xf0\x9f\x98\x80")})
            QCOMPARE(CommandLine::nativeBytes(CommandLine::fromNativeBytes(bytes)), bytes);
    }

    void onlyWhatComesBeforeTheMarkerIsTheToolkits()
    {
        char program[] = "bytemarsh", style[] = "-style", fusion[] = "fusion", marker[] = "--",
             title[] = "-qwindowtitle", x[] = "X";
        char* argv[] = {program, style, fusion, marker, title, x};
        QCOMPARE(CommandLine::toolkitArgumentCount(6, argv), 3);
        QCOMPARE(CommandLine::toolkitArgumentCount(3, argv), 3);
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
        w.form.addGivenPaths({QFile::encodeName(loose), QFile::encodeName(path("vanished")),
                              QByteArray(), QFile::encodeName(path("tree")),
                              QFile::encodeName(tilde), QFile::encodeName(loose)});
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
        w.form.addGivenPaths({QFile::encodeName(link)});
        QCOMPARE(w.rows(), QStringList({link}));
    }

    void namesThatAreNotUtf8KeepTheirBytes()
    {
        const QByteArray folder = QFile::encodeName(path("bytes"));
        QVERIFY(QDir().mkpath(path("bytes")));
        const QByteArray loose = folder + "/caf\xe9.txt";
        const QByteArray inside = folder + "/\xff\xfe";
        QCOMPARE(::mkdir(inside.constData(), 0755), 0);
        for (const QByteArray& name : {loose, inside + "/x\x80y"}) {
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        AddingWindow w;
        w.form.addGivenPaths({loose, inside});
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(QByteArray(w.form.fileList().textUtf8(1).data(),
                            qsizetype(w.form.fileList().textUtf8(1).size())),
                 loose);
        QCOMPARE(QByteArray(w.form.fileList().textUtf8(2).data(),
                            qsizetype(w.form.fileList().textUtf8(2).size())),
                 inside + "/x\x80y");
    }
};

BYTEMARSH_TEST_MAIN(CommandLineTest)
#include "test_command_line.moc"
