#pragma once

class Dialogs;
class ErrorReporter;
class EventPump;
class RowList;
class UnitOptions;
class WindowPointer;

// "Start Checking": one results row per file-list row, with the file's size in the chosen unit.
// The sizes are read ahead on a pool of threads; the window repaints while a row waits.
class SizeCheck
{
public:
    SizeCheck(RowList& files, RowList& results, const UnitOptions& units, WindowPointer& pointer,
              Dialogs& dialogs, ErrorReporter& errors, EventPump& events);

    void run();

private:
    RowList& files_;
    RowList& results_;
    const UnitOptions& units_;
    WindowPointer& pointer_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
    EventPump& events_;
    bool checking_ = false; // guards against re-entry through a nested event loop
};
