#include "cli/check_mode.h"

#include "cli/check_arguments.h"
#include "cli/check_run.h"
#include "cli/standard_streams.h"
#include "desktop/command_line.h"

#include <QCoreApplication>
#include <csignal>
#include <string>
#include <string_view>

int RunCheckMode(int argc, char** argv)
{
    // A closed standard output is seen as a failed write, so the files asked for still go out.
    std::signal(SIGPIPE, SIG_IGN);
    int applicationArgc = 1; // the toolkit reads none of these arguments
    const QCoreApplication application(applicationArgc, argv);

    const CheckArguments arguments =
        CheckArguments::parse(CommandLine::fromArgv(argc, argv), CommandLine::currentFolder());
    switch (arguments.action) {
    case CheckArguments::Action::ShowHelp: {
        StandardError errors;
        StandardOutput output(errors);
        output.write(CommandLine::usage().toStdString());
        return 0;
    }
    case CheckArguments::Action::Refuse: {
        StandardError errors;
        errors.line(QStringLiteral("bytemarsh: %1").arg(arguments.error).toStdString());
        const std::string usage = CommandLine::usage().toStdString();
        errors.line(std::string_view(usage).substr(0, usage.size() - 1));
        return 2;
    }
    case CheckArguments::Action::Check:
        break;
    }
    StandardError errors;
    StandardOutput output(errors);
    return CheckRun(arguments, errors, output).run();
}
