#include "platform/gui/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    Form1 window(platform.platform());
    platform.dialogs().setOwner(&window);
    // Closing ends the program at once, even in the middle of a command that lets events
    // through; every choice was stored when it was made, so nothing is waiting to be saved.
    window.setCloseAction([] {
        std::fflush(nullptr);
        std::_Exit(0);
    });
    window.Form_Load();
    window.show();
    return app.exec();
}
