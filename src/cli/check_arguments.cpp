#include "cli/check_arguments.h"

#include "desktop/command_line.h"

#include <cstring>

namespace {

// The options that take a value, each given at most once but --list.
const QStringList kValueOptions = {QStringLiteral("unit"), QStringLiteral("extension"),
                                   QStringLiteral("list"), QStringLiteral("text"),
                                   QStringLiteral("xlsx")};

bool unitFrom(const QString& text, short& unit)
{
    const QString name = text.toLower();
    const QStringList names = {QStringLiteral("bytes"), QStringLiteral("kb"), QStringLiteral("mb"),
                               QStringLiteral("gb")};
    const qsizetype index = names.indexOf(name);
    if (index < 0) return false;
    unit = short(index);
    return true;
}

// A name the program hands on as text: bytes that are not UTF-8 would not survive that.
bool isUtf8(const QString& name)
{
    for (const QChar c : name)
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) return false;
    return true;
}

CheckArguments refused(const QString& error)
{
    CheckArguments arguments;
    arguments.action = CheckArguments::Action::Refuse;
    arguments.error = error;
    return arguments;
}

} // namespace

bool CheckArguments::requested(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        if (std::strcmp(argv[i], "--check") == 0) return true;
    }
    return false;
}

CheckArguments CheckArguments::parse(const QStringList& arguments, const QString& currentFolder)
{
    CheckArguments result;
    QStringList given; // the options given once
    bool pathsOnly = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool option = !pathsOnly && argument.startsWith(u'-') && argument != u'-';
        if (!option) {
            // An empty argument names nothing; it would otherwise become the current folder.
            const QString path =
                argument.isEmpty() ? argument : CommandLine::absolutePath(currentFolder, argument);
            result.inputs.push_back({Input::Kind::Path, CommandLine::nativeBytes(path)});
            continue;
        }
        if (argument == QLatin1String("--")) {
            pathsOnly = true;
            continue;
        }
        if (argument == QLatin1String("--check")) continue;
        if (argument == QLatin1String("--null") || argument == QLatin1String("-0")) {
            result.nullEnds = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            result.action = Action::ShowHelp;
            return result;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (!argument.startsWith(QLatin1String("--")) || !kValueOptions.contains(name))
            return refused(QStringLiteral("unknown option '%1'").arg(argument));
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return refused(QStringLiteral("--%1 needs a value").arg(name));
        }
        if (name != QLatin1String("list")) {
            if (given.contains(name))
                return refused(QStringLiteral("--%1 is given more than once").arg(name));
            given << name;
        }

        if (name == QLatin1String("unit")) {
            if (!unitFrom(value, result.unit))
                return refused(QStringLiteral("unknown unit '%1': bytes, kb, mb or gb").arg(value));
        } else if (name == QLatin1String("extension")) {
            if (value.isEmpty()) return refused(QStringLiteral("--extension needs a value"));
            result.pattern = QStringLiteral("*.") + value;
        } else if (!isUtf8(value)) {
            return refused(QStringLiteral("--%1: the name is not UTF-8").arg(name));
        } else if (value.isEmpty()) {
            return refused(QStringLiteral("--%1 needs a value").arg(name));
        } else if (name == QLatin1String("list")) {
            result.inputs.push_back(value == u'-' ? Input{Input::Kind::StandardInput, {}}
                                                  : Input{Input::Kind::List, value.toUtf8()});
        } else if (name == QLatin1String("text")) {
            result.textFile = value;
        } else {
            result.xlsxFile = value;
        }
    }
    if (result.inputs.empty())
        return refused(QStringLiteral("nothing to check: name a FILE, a FOLDER or a --list"));
    return result;
}
