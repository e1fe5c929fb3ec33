#include "platform/gui/qt_platform.h"

#include "platform/desktop_spreadsheet.h"

#include <QCoreApplication>

QtPlatform::QtPlatform()
    : spreadsheet_(std::make_unique<DesktopSpreadsheetLauncher>(shell_)),
      platform_{dialogs_,     settings_,  shell_,
                fileManager_, clipboard_, *spreadsheet_,
                events_,      random_,    QCoreApplication::applicationDirPath()}
{
    dialogs_.setEventPump(&events_);
}

QtPlatform::~QtPlatform() = default;
