#include "platform/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    Form1 window(platform.platform());
    platform.dialogs().setOwner(&window);
    window.Form_Load();
    window.show();
    return app.exec();
}
