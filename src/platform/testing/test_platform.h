#pragma once

#include "platform/platform.h"
#include "platform/settings_store.h"
#include "platform/spreadsheet.h"
#include "platform/testing/doubles.h"
#include "platform/testing/scripted_dialogs.h"

#include <QTemporaryDir>
#include <memory>

// A platform for tests: scripted boxes, recorded shell and clipboard, the real settings
// store (pointed at a temporary folder by the test's main) and an empty temporary program
// folder.
class TestPlatform
{
public:
    TestPlatform();
    ~TestPlatform();

    Platform& platform() { return platform_; }
    const QString& programFolder() const { return platform_.programFolder; }

    ScriptedDialogs dialogs;
    QtSettingsStore settings;
    RecordingShell shell;
    FakeClipboard clipboard;
    std::unique_ptr<SpreadsheetLauncher> spreadsheet;
    CountingEventPump events;
    FixedRandom random;

private:
    QTemporaryDir programDir_;
    Platform platform_;
};
