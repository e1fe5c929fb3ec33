#include "desktop/command_line.h"
#include "desktop/single_instance.h"
#include "platform/gui/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Read before the toolkit starts, so the answers need no display.
    const CommandLine command = CommandLine::parse(CommandLine::fromArgv(argc, argv),
                                                   QDir::currentPath(), BYTEMARSH_VERSION);
    if (command.action != CommandLine::Action::OpenWindow) {
        std::fputs(command.output.toLocal8Bit().constData(),
                   command.exitCode() == 0 ? stdout : stderr);
        return command.exitCode();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(BYTEMARSH_VERSION));

    InstanceServer instance;
    if (!command.newWindow) {
        const QString socket = SingleInstance::socketPath();
        switch (SingleInstance::handOver(socket, command.paths)) {
        case SingleInstance::HandOver::Taken:
            return 0;
        case SingleInstance::HandOver::Failed:
            std::fputs("bytemarsh: the open window did not take the paths\n", stderr);
            return 1;
        case SingleInstance::HandOver::NoWindow:
            // Without the socket this window still works; it just cannot be handed paths.
            if (!socket.isEmpty()) instance.listen(socket);
            break;
        }
    }

    QtPlatform platform;
    Form1 window(platform.platform());
    platform.setWindow(&window);
    // Closing ends the program at once, even in the middle of a command that lets events
    // through; every choice was stored when it was made, so nothing is waiting to be saved.
    window.setCloseAction([&instance] {
        instance.close();
        std::fflush(nullptr);
        std::_Exit(0);
    });
    window.Form_Load();
    window.show();

    QObject::connect(&instance, &InstanceServer::pathsReceived, &window,
                     [&window](const QStringList& paths) {
                         window.raise();
                         window.activateWindow();
                         window.addGivenPaths(paths);
                     });
    // Once the window is up, as if the paths were dropped on it.
    if (!command.paths.isEmpty())
        QMetaObject::invokeMethod(
            &window, [&window, paths = command.paths] { window.addGivenPaths(paths); },
            Qt::QueuedConnection);
    return app.exec();
}
