#include "cli/check_arguments.h"
#include "cli/check_mode.h"
#include "cli/standard_streams.h"
#include "desktop/command_line.h"
#include "desktop/single_instance.h"
#include "platform/gui/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    openClosedStandardStreams();
    // Decided before any window can exist: the check from a terminal needs no display.
    if (CheckArguments::requested(argc, argv)) return RunCheckMode(argc, argv);

    // Read before the toolkit starts, so the answers need no display.
    const CommandLine command = CommandLine::parse(CommandLine::fromArgv(argc, argv),
                                                   CommandLine::currentFolder(), BYTEMARSH_VERSION);
    if (command.action != CommandLine::Action::OpenWindow) {
        std::fputs(command.output.toLocal8Bit().constData(),
                   command.exitCode() == 0 ? stdout : stderr);
        return command.exitCode();
    }

    // The toolkit reads its own options (-style, -qwindowtitle, ...) from what it is given:
    // everything after "--" is a path, and it never sees those.
    int toolkitArgc = CommandLine::toolkitArgumentCount(argc, argv);
    QApplication app(toolkitArgc, argv);
    QApplication::setApplicationVersion(QStringLiteral(BYTEMARSH_VERSION));

    // Paths go to the window already open when it takes them within a second; otherwise, and
    // for every start without paths, this start opens a window of its own.
    const QString socket = command.newWindow ? QString() : SingleInstance::socketPath();
    if (!command.paths.isEmpty() &&
        SingleInstance::handOver(socket, command.paths) == SingleInstance::HandOver::Taken)
        return 0;

    QtPlatform platform;
    Form1 window(platform.platform());
    platform.setWindow(&window);

    // Connected before it listens, so nothing handed over is lost; what comes while the window
    // starts up waits for start-up to end.
    InstanceServer instance;
    QObject::connect(&instance, &InstanceServer::pathsReceived, &window,
                     [&window](const QByteArrayList& paths) {
                         window.addGivenPaths(paths);
                         // A request: whether it comes forward is the desktop's decision.
                         window.activateWindow();
                     });
    // Without the socket this window still works; it just cannot be handed paths.
    if (!socket.isEmpty()) instance.listen(socket);

    // Closing ends the program at once, even in the middle of a command: every choice was
    // stored when it was made, and nothing is ever half-written.
    window.setCloseAction([&instance] {
        instance.close();
        std::fflush(nullptr);
        std::_Exit(0);
    });
    window.Form_Load();
    window.show();
    // Once the window is up, as if the paths were dropped on it.
    if (!command.paths.isEmpty())
        QMetaObject::invokeMethod(
            &window, [&window, paths = command.paths] { window.addGivenPaths(paths); },
            Qt::QueuedConnection);
    return app.exec();
}
