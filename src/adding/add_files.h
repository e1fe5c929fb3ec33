#pragma once

class Dialogs;
class ErrorReporter;
class ListView;

// "Add Files": every file chosen in one open-file dialog becomes a row of the file list.
class AddFiles
{
public:
    static constexpr int kSelectionLimit = 30000; // characters of folder, names and separators

    AddFiles(ListView& files, Dialogs& dialogs, ErrorReporter& errors);
    void PushButton5_Click();

private:
    ListView& files_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
};
