#include "platform/gui/qt_platform.h"

#include "platform/desktop_spreadsheet.h"

#include <QCoreApplication>

namespace {

std::unique_ptr<SpreadsheetLauncher> desktopSpreadsheet(Shell& shell, EventPump& events)
{
    auto launcher = std::make_unique<DesktopSpreadsheetLauncher>(shell);
    launcher->setEventPump(&events);
    return launcher;
}

} // namespace

QtPlatform::QtPlatform()
    : spreadsheet_(desktopSpreadsheet(shell_, events_)),
      platform_{dialogs_,     settings_,  shell_,
                fileManager_, clipboard_, *spreadsheet_,
                events_,      random_,    QCoreApplication::applicationDirPath()}
{
    dialogs_.setEventPump(&events_);
}

QtPlatform::~QtPlatform() = default;
