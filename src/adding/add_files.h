#pragma once

#include <QStringList>

class Dialogs;
class ErrorReporter;
class RowList;

// The paths in an open-file dialog's answer: one path exactly as it came, or the folder NUL
// name NUL name ... form joined and cleaned. The empty answer (Cancel) gives none.
QStringList SelectedPaths(const QString& answer);

// "Add Files": every file chosen in one open-file dialog becomes a row of the file list.
class AddFiles
{
public:
    AddFiles(RowList& files, Dialogs& dialogs, ErrorReporter& errors);
    void run();

private:
    RowList& files_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
};
