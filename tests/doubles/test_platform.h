#pragma once

#include "doubles/doubles.h"
#include "doubles/recording_spreadsheet.h"
#include "doubles/scripted_dialogs.h"
#include "platform/platform.h"
#include "platform/settings_store.h"
#include "platform/spreadsheet.h"

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

    // The spreadsheet application is missing unless a test puts one in place.
    void useSpreadsheet(std::unique_ptr<SpreadsheetLauncher> launcher);
    RecordingSpreadsheet& recordSpreadsheet();

    ScriptedDialogs dialogs;
    QtSettingsStore settings;
    RecordingShell shell;
    RecordingFileManager fileManager;
    FakeClipboard clipboard;
    std::unique_ptr<SpreadsheetLauncher> spreadsheet;
    CountingEventPump events;
    FixedRandom random;

private:
    // The window holds the platform's launcher by reference; this one follows `spreadsheet`.
    class CurrentSpreadsheet : public SpreadsheetLauncher
    {
    public:
        explicit CurrentSpreadsheet(TestPlatform& owner) : owner_(owner) {}
        void beginCommand() override { owner_.spreadsheet->beginCommand(); }
        std::unique_ptr<SpreadsheetApplication> create() override
        {
            return owner_.spreadsheet->create();
        }

    private:
        TestPlatform& owner_;
    };

    CurrentSpreadsheet currentSpreadsheet_{*this};
    QTemporaryDir programDir_;
    Platform platform_;
};
