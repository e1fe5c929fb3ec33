#pragma once

#include <QString>

class Clipboard;
class Dialogs;
class EventPump;
class FileManager;
class RandomSource;
class SettingsStore;
class Shell;
class SpreadsheetLauncher;

// Everything the window reaches outside itself. The program passes the real ones
// (QtPlatform); tests pass doubles for what a person answers or what leaves the program.
struct Platform
{
    Dialogs& dialogs;
    SettingsStore& settings;
    Shell& shell;
    FileManager& fileManager;
    Clipboard& clipboard;
    SpreadsheetLauncher& spreadsheet;
    EventPump& events;
    RandomSource& random;
    // The folder that holds the program and its resources, without a trailing separator.
    QString programFolder;
};
