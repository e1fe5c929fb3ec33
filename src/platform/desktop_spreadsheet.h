#pragma once

#include "platform/spreadsheet.h"
#include "platform/xlsx_workbook.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class EventPump;
class Shell;

// The program that opens a finished workbook for the user.
struct SpreadsheetProgram
{
    bool found = false;
    // Empty: the desktop's program registered for .xlsx files, reached through the shell.
    QString executable;
};

// The desktop's program for .xlsx files, or a spreadsheet program on the PATH.
SpreadsheetProgram findSpreadsheetProgram();

// Where workbooks are written: the user's documents folder (as xdg-user-dirs names it), or the
// home folder without one; never a hidden folder, where no one would look for them.
QString defaultWorkbookFolder();

// A path in folder under a name no file has yet. The workbook takes it only once whole, and
// only while it is still free, so it never replaces anything. Throws RuntimeError when the
// folder cannot be read.
QString freeWorkbookName(const QString& folder);

// The application object: shows its workbooks by writing each to a new file and opening it.
class DesktopSpreadsheetApplication : public SpreadsheetApplication
{
public:
    using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

    DesktopSpreadsheetApplication(Shell& shell, QString folder, SpreadsheetProgram program,
                                  Starter start, EventPump* events = nullptr);

    SpreadsheetWorkbook& addWorkbook() override;
    void setVisible(bool visible) override;

private:
    void show(XlsxWorkbook& workbook);

    Shell& shell_;
    QString folder_;
    SpreadsheetProgram program_;
    Starter start_;
    EventPump* events_;
    std::vector<std::unique_ptr<XlsxWorkbook>> workbooks_;
    std::size_t shown_ = 0;
};

class DesktopSpreadsheetLauncher : public SpreadsheetLauncher
{
public:
    using Finder = std::function<SpreadsheetProgram()>;

    // folder empty: defaultWorkbookFolder() when a workbook is shown. start empty: a detached
    // process.
    explicit DesktopSpreadsheetLauncher(Shell& shell, QString folder = {},
                                        Finder find = findSpreadsheetProgram,
                                        DesktopSpreadsheetApplication::Starter start = {});

    // The window's pump: each workbook is then written on a worker while the window waits
    // in held rounds, and a close in one of them ends the program before anything is shown.
    void setEventPump(EventPump* events) { events_ = events; }
    void beginCommand() override;
    // Throws RuntimeError 429 when no spreadsheet program is found.
    std::unique_ptr<SpreadsheetApplication> create() override;

private:
    Shell& shell_;
    QString folder_;
    Finder find_;
    DesktopSpreadsheetApplication::Starter start_;
    EventPump* events_ = nullptr;
    std::optional<SpreadsheetProgram> found_; // asked once per command: the desktop is slow
};
