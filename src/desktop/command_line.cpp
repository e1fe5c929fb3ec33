#include "desktop/command_line.h"

#include "base/utf8.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral("bytemarsh");

// Options that QApplication takes out of the arguments itself; they must not be refused here,
// before it has seen them.
const QStringList kToolkitOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("display"),         QStringLiteral("style"),
    QStringLiteral("stylesheet"),      QStringLiteral("session"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowtitle"),
    QStringLiteral("qwindowicon"),
};
const QStringList kToolkitFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount")};

} // namespace

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: bytemarsh [OPTION]... [FILE|FOLDER]...\n"
        "  or:  bytemarsh --check [CHECK OPTION]... [FILE|FOLDER]...\n"
        "Gather files into one list and see every file's size at once.\n"
        "\n"
        "Each FILE is added to the file list as one row and each FOLDER adds every file\n"
        "inside it and its sub-folders, as if they were dropped on the list. When a window\n"
        "is already open, the paths go to that window; without paths, a new window opens.\n"
        "\n"
        "  --new-window   open a separate window instead of using the one already open\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "With --check no window opens and no display is needed: the FILEs, FOLDERs and\n"
        "lists are gathered in the order given, every file's size is read, and standard\n"
        "output gets one line per file: the path, blanks up to the longest path, a tab and\n"
        "the size. Nothing reads or writes the window's settings.\n"
        "\n"
        "  --unit UNIT       bytes (the default), kb, mb or gb: powers of 1024, truncated\n"
        "                    to two decimals\n"
        "  --extension EXT   take only the files named *.EXT from each FOLDER\n"
        "  --list LIST       add every line of the list file LIST as a row (UTF-8 or\n"
        "                    UTF-16); - reads the list from standard input; may be repeated\n"
        "  --text FILE       also save the paths, one per line, as the window saves them\n"
        "  --xlsx FILE       also save a spreadsheet workbook: a title row, then every row\n"
        "  -0, --null        end each line on standard output with NUL, not a line feed,\n"
        "                    and read each LIST as names that end with NUL\n"
        "\n"
        "A file whose size cannot be read is named on standard error with the error's\n"
        "number and description, and its size stays empty. A FILE that is saved is\n"
        "replaced only once it is complete. On a terminal, standard error shows a running\n"
        "count while the check runs, and a name that holds a control character is\n"
        "shown quoted as the shell would quote it.\n"
        "Exit status: 0 when every row was sized, 1 when anything failed, 2 when the\n"
        "command line is wrong.\n");
}

// Drops "." and repeated separators but keeps "..": through a linked folder ".." leads
// somewhere other than the text suggests, so only the file system may resolve it.
QString CommandLine::absolutePath(const QString& currentFolder, const QString& path)
{
    const QString joined = QDir(currentFolder).absoluteFilePath(path);
    QStringList kept;
    for (const QString& part : joined.split(u'/', Qt::SkipEmptyParts))
        if (part != QLatin1String(".")) kept << part;
    return u'/' + kept.join(u'/');
}

QString CommandLine::fromNativeBytes(QByteArrayView bytes)
{
    const std::string_view text(bytes.data(), std::size_t(bytes.size()));
    QString decoded;
    decoded.reserve(bytes.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const int code = Utf8::decode(text, i);
        if (code < 0) {
            // One escaped code point per byte that is not part of a UTF-8 sequence.
            i = start + 1;
            decoded += QChar(char16_t(0xDC00 + static_cast<unsigned char>(text[start])));
        } else {
            decoded += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        }
    }
    return decoded;
}

QByteArray CommandLine::nativeBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF) {
            bytes += char(unit - 0xDC00);
            continue;
        }
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        bytes += QStringView(text).mid(i, length).toUtf8();
        i += length - 1;
    }
    return bytes;
}

QStringList CommandLine::fromArgv(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fromNativeBytes(argv[i]);
    return arguments;
}

QString CommandLine::currentFolder()
{
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? fromNativeBytes(folder.get()) : QDir::currentPath();
}

int CommandLine::toolkitArgumentCount(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0) return i;
    return argc;
}

CommandLine CommandLine::parse(const QStringList& arguments, const QString& currentFolder,
                               const QString& version)
{
    QCommandLineParser parser;
    // Toolkit options are single-dash words (-platform, -style), so single dashes name
    // whole words here too.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption showVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption newWindow(QStringLiteral("new-window"));
    parser.addOptions({help, showVersion, newWindow});
    for (const QString& name : kToolkitOptionsWithValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : kToolkitFlags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine command;
    if (!parser.parse(arguments.isEmpty() ? QStringList{kProgram} : arguments)) {
        command.action = Action::Refuse;
        command.output = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                             .arg(kProgram, parser.errorText());
        return command;
    }
    if (parser.isSet(help)) {
        command.action = Action::ShowHelp;
        command.output = usage();
        return command;
    }
    if (parser.isSet(showVersion)) {
        command.action = Action::ShowVersion;
        command.output = QStringLiteral("Bytemarsh %1\n").arg(version);
        return command;
    }
    command.newWindow = parser.isSet(newWindow);
    for (const QString& path : parser.positionalArguments()) {
        // An empty argument names nothing; it would otherwise become the current folder.
        command.paths << nativeBytes(path.isEmpty() ? path : absolutePath(currentFolder, path));
    }
    return command;
}
