#pragma once

class Dialogs;
class ErrorReporter;
class ListView;
class UnitOptions;
class WindowPointer;

// "Start Checking": one results row per file-list row, with the file's size in the chosen unit.
class SizeCheck
{
public:
    SizeCheck(ListView& files, ListView& results, const UnitOptions& units, WindowPointer& pointer,
              Dialogs& dialogs, ErrorReporter& errors);

    void PushButton4_Click();

private:
    ListView& files_;
    ListView& results_;
    const UnitOptions& units_;
    WindowPointer& pointer_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
    bool checking_ = false; // guards against re-entry through a nested event loop
};
