#pragma once

#include "platform/spreadsheet.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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

// Where workbooks are written: the user's documents folder, or the cache folder without one.
QString defaultWorkbookFolder();

// Creates an empty file in folder under a name no file has yet and returns its path, so the
// workbook written there never replaces anything. Throws RuntimeError when it cannot.
QString reserveWorkbookFile(const QString& folder);

// One workbook's active sheet, collected in memory and written as .xlsx on demand.
class XlsxWorkbook : public SpreadsheetWorkbook
{
public:
    // Rows and columns beyond the sheet's limits fail as they would in the application.
    void setCell(int row, int column, const QString& text) override;
    void autofitColumn(int column) override;
    void autofitAllColumns() override;

    // Throws RuntimeError when the file cannot be written.
    void save(const QString& path) const;

private:
    double fittedWidth(int column) const;

    std::map<std::pair<int, int>, QString> cells_; // by row, then column
    std::map<int, double> widths_;                 // fitted columns; the rest keep the default
};

// The application object: shows its workbooks by writing each to a new file and opening it.
class DesktopSpreadsheetApplication : public SpreadsheetApplication
{
public:
    using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;

    DesktopSpreadsheetApplication(Shell& shell, QString folder, SpreadsheetProgram program,
                                  Starter start);

    SpreadsheetWorkbook& addWorkbook() override;
    void setVisible(bool visible) override;

    // The files written so far, in order.

private:
    void show(const XlsxWorkbook& workbook);

    Shell& shell_;
    QString folder_;
    SpreadsheetProgram program_;
    Starter start_;
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

    void beginCommand() override;
    // Throws RuntimeError 429 when no spreadsheet program is found.
    std::unique_ptr<SpreadsheetApplication> create() override;

private:
    Shell& shell_;
    QString folder_;
    Finder find_;
    DesktopSpreadsheetApplication::Starter start_;
    std::optional<SpreadsheetProgram> found_; // asked once per command: the desktop is slow
};
