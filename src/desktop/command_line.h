#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

// What the program was asked to do on its command line. Read before any window exists, so
// --help and --version answer without a display.
struct CommandLine
{
    enum class Action {
        OpenWindow,  // start (or hand the paths to the running window)
        ShowHelp,    // print `output` on standard output, exit 0
        ShowVersion, // print `output` on standard output, exit 0
        Refuse,      // print `output` on standard error, exit 2
    };

    Action action = Action::OpenWindow;
    // A separate window that neither takes over nor hands over to a running one.
    bool newWindow = false;
    // Files and folders to add, absolute, in the order given, as the file system names them:
    // a name that is not UTF-8 keeps its bytes.
    QByteArrayList paths;
    QString output;

    // `arguments` starts with the program's own name, as argv does. Relative paths are
    // resolved against `currentFolder`.
    static CommandLine parse(const QStringList& arguments, const QString& currentFolder,
                             const QString& version);
    // argv as texts. Bytes that are not UTF-8 become the code points U+DC80 to U+DCFF, one
    // each, so that nativeBytes gives every name back exactly.
    static QStringList fromArgv(int argc, char** argv);
    static QString fromNativeBytes(QByteArrayView bytes);
    static QByteArray nativeBytes(const QString& text);
    // The folder the program was started in, in the same form.
    static QString currentFolder();
    // The arguments the toolkit may read: those before "--", after which everything is a path.
    static int toolkitArgumentCount(int argc, char** argv);
    // What --help prints.
    static QString usage();
    // `path` against `currentFolder`, without "." or repeated separators; ".." stays, for only
    // the file system knows where it leads through a linked folder.
    static QString absolutePath(const QString& currentFolder, const QString& path);

    int exitCode() const { return action == Action::Refuse ? 2 : 0; }
};
