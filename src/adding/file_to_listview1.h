#pragma once

#include <QString>

class Dialogs;
class ErrorReporter;
class EventPump;
class RowList;
class WindowPointer;

// Plain-text list files: one row per line.
namespace FileToListview1 {

// Appends one row per line of the list file, each line unchanged. Lines end at CR or CR LF;
// a bare LF then splits a line once more. The file is read as UTF-8 and a leading byte-order
// mark is skipped. A missing file is said so in a box; other failures reach the caller. The
// window gets held rounds while a long file loads.
void LoadListFile(RowList& list, const QString& path, Dialogs& dialogs, EventPump& events);

} // namespace FileToListview1

// "Load File List From Text File": loads every list file chosen in one dialog, in its order.
class LoadFileList
{
public:
    LoadFileList(RowList& files, WindowPointer& pointer, Dialogs& dialogs, ErrorReporter& errors,
                 EventPump& events);
    void run();

private:
    RowList& files_;
    WindowPointer& pointer_;
    Dialogs& dialogs_;
    ErrorReporter& errors_;
    EventPump& events_;
};
