#pragma once

#include "platform/gui/qt_clipboard.h"
#include "platform/gui/qt_dialogs.h"
#include "platform/gui/qt_shell.h"
#include "platform/gui/window_event_pump.h"
#include "platform/platform.h"
#include "platform/random_source.h"
#include "platform/session_bus_file_manager.h"
#include "platform/settings_store.h"
#include "platform/spreadsheet.h"

#include <memory>

// The real platform of the running program.
class QtPlatform
{
public:
    QtPlatform();
    ~QtPlatform();

    Platform& platform() { return platform_; }
    WindowEventPump& events() { return events_; }
    // The window boxes belong to and whose input the event pump holds during a command.
    void setWindow(QWidget* window)
    {
        dialogs_.setOwner(window);
        events_.setWindow(window);
    }

private:
    QtDialogs dialogs_;
    QtSettingsStore settings_;
    QtShell shell_;
    SessionBusFileManager fileManager_;
    QtClipboard clipboard_;
    std::unique_ptr<SpreadsheetLauncher> spreadsheet_;
    WindowEventPump events_;
    StdRandomSource random_;
    Platform platform_;
};
