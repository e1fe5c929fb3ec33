#pragma once

#include "core/units.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// What `bytemarsh --check ...` was asked to do: where the rows come from, in the order given,
// the unit, and where the results go besides standard output.
struct CheckArguments
{
    enum class Action {
        Check,    // run the check
        ShowHelp, // print the usage on standard output, exit 0
        Refuse,   // print `error` and the usage on standard error, exit 2
    };

    // One road in.
    struct Input
    {
        enum class Kind {
            Path,          // a file or folder, as a drop adds it
            List,          // a list file, as "Load File List From Text File" reads it
            StandardInput, // a list read from standard input
        };
        Kind kind = Kind::Path;
        // Path: absolute, as the file system names it (a name that is not UTF-8 keeps its
        // bytes). List: the name as given.
        QByteArray name;
    };

    Action action = Action::Check;
    short unit = UnitBytes;
    // The files of a folder that count: all of them, or those of the chosen extension.
    QString pattern = QStringLiteral("*.*");
    std::vector<Input> inputs;
    QString textFile; // empty: no text file
    QString xlsxFile; // empty: no workbook
    // Each line on standard output ends in NUL, not a line feed, and each list holds names that
    // end in NUL.
    bool nullEnds = false;
    QString error;

    // True when the program's arguments ask for this mode: "--check" before any "--".
    static bool requested(int argc, char** argv);
    // `arguments` as CommandLine::fromArgv gives them, the program's name first. Relative paths
    // are taken from `currentFolder`.
    static CheckArguments parse(const QStringList& arguments, const QString& currentFolder);
};
