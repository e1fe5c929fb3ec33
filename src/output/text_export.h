#pragma once

class Dialogs;
class ErrorReporter;
class EventPump;
class RowList;
class WindowPointer;

// "Save Results As Text File": the results' paths, one per line, into a file the user names.
class TextExport
{
public:
    TextExport(RowList& results, WindowPointer& pointer, Dialogs& dialogs, EventPump& events,
               ErrorReporter& errors);

    void run();

private:
    RowList& results_;
    WindowPointer& pointer_;
    Dialogs& dialogs_;
    EventPump& events_;
    ErrorReporter& errors_;
};
