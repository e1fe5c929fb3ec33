#pragma once

class Dialogs;
class ErrorReporter;
class RowList;
class UnitOptions;
class WindowPointer;

// "Start Checking": one results row per file-list row, with the file's size in the chosen unit.
class SizeCheck
{
public:
    SizeCheck(RowList& files, RowList& results, const UnitOptions& units, WindowPointer& pointer,
              Dialogs& dialogs, ErrorReporter& errors);

    void run();

private:
    RowList& files_;
    RowList& results_;
    const UnitOptions& units_;
    WindowPointer& pointer_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
    bool checking_ = false; // guards against re-entry through a nested event loop
};
