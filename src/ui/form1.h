#pragma once

#include "core/command_scope.h"
#include "core/error_trap.h"
#include "core/list_editing.h"
#include "core/results_order.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/platform.h"
#include "ui/list_view.h"
#include "ui/radio_unit_options.h"
#include "ui/skin_framework.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>
#include <memory>

class ListMenu;
class PointerRules;
class SortIndicator;
class QDropEvent;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The program's one window: the file list on the left, the results on the right. Handlers are
// named after their control and event; each delegates to the command that owns the behaviour.
class Form1 : public QWidget, public WindowPointer
{
    Q_OBJECT

public:
    static constexpr auto kProductName = "Bytemarsh";

    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // Runs once before the window is first shown.
    void Form_Load();

    // Run when the window is closed; the program passes what ends it at once.
    void setCloseAction(std::function<void()> action) { closeAction_ = std::move(action); }

    PointerSetting mousePointer() const override { return pointer_; }
    void setMousePointer(PointerSetting setting) override;

    RowList& fileList() { return files_; }
    RowList& resultsList() { return results_; }
    ListView& fileListView() { return *ListView1; }
    ListView& resultsListView() { return *ListView2; }
    UnitOptions& unitOptions() { return *unitOptions_; }

    // Controls, by their names.
    ListViewWidget* ListView1Widget = nullptr;
    ListViewWidget* ListView2Widget = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton9 = nullptr;
    QPushButton* PushButton10 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton12 = nullptr;
    QPushButton* PushButton13 = nullptr;
    QPushButton* PushButton14 = nullptr;
    QPushButton* PushButton18 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    SkinFramework SkinFramework1;

    // Button handlers.
    void PushButton1_Click();  // Remove Filenames Containing X
    void PushButton2_Click();  // Remove Filenames Not Cont. X
    void PushButton3_Click();  // Load File List From Text File
    void PushButton4_Click();  // Start Checking
    void PushButton5_Click();  // Add Files
    void PushButton6_Click();  // Save Results As Text File
    void PushButton7_Click();  // Help
    void PushButton8_Click();  // Load Sample/Example Files
    void PushButton9_Click();  // Clear List (results)
    void PushButton10_Click(); // Add All Files In Folder
    void PushButton11_Click(); // Clear List (files)
    void PushButton12_Click(); // Save Results As Excel File
    void PushButton13_Click(); // Remove Results Containing X
    void PushButton14_Click(); // Remove Results Not Cont. X
    void PushButton18_Click(); // Copy Results To Clipboard

    // True when the spreadsheet application can be started; says so itself when it cannot.
    bool SaveResultsAsExcelFileIsExcelInstalled();

    // A unit option was clicked (1 to 4): remember the choice.
    void Option_Click(int option);

    // List notifications. They run without an error trap.
    void ListView1_DblClick();
    void ListView2_DblClick();
    void ListView2_KeyDown(int key);
    void ListView1_MouseDown();
    void ListView1_ItemClick();
    void ListView1_MouseMove(const QPoint& point, int screenY);
    void ListView1_MouseUp();

    // The lists' context menus (right button, Menu key, Shift+F10), opened at a point of the
    // screen; neither opens while a command runs.
    void ListView1_ContextMenu(const QPoint& globalPoint);
    void ListView2_ContextMenu(const QPoint& globalPoint);
    // A click on a results column's header (1 = "Filename", 2 = "File Size"): sorts by it,
    // and the other way round when the rows stand sorted by it already.
    void ListView2_ColumnClick(int column);

    // What the menus' items do, each as a command.
    enum class TickChange { TickAll, UntickAll, Invert };
    void changeResultsTicks(TickChange change);
    // Column 1 sorts by name, column 2 by size.
    void sortResults(int column, SortDirection direction);
    void showResultsTotal();
    void openContainingFolder(RowList& list);
    void copyPath(RowList& list);

    ListMenu& fileListMenu() { return *fileListMenu_; }
    ListMenu& resultsMenu() { return *resultsMenu_; }
    // The results header's indicator of the last sort; 0 as its column when none shows.
    const SortIndicator& resultsSortIndicator() const { return *resultsSortIndicator_; }

    // Paths named on the command line or handed over by a later start, as the file system's
    // bytes: each goes in as a drop of that item would, in order; a path that names nothing is
    // skipped. Paths that come while a command runs wait for it to end.
    void addGivenPaths(const QByteArrayList& paths);

    // The commands under way; none starts inside one that holds the user's input.
    const RunningCommands& runningCommands() const { return running_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs one command's steps inside its scope, unless a command that holds input runs.
    template <typename Steps> void runCommand(CommandScope::Input input, Steps&& steps)
    {
        const CommandScope scope(running_, input);
        if (!scope.refused()) steps();
    }

    // A menu item's command: none while another command runs, whatever it lets through.
    template <typename Steps> void runMenuCommand(Steps&& steps)
    {
        if (!running_.any()) runCommand(CommandScope::Input::Held, std::forward<Steps>(steps));
    }

    void buildLayout();
    void buildListMenus();
    void connectHandlers();
    void restoreUnitOption(int option);
    void applyPointer();
    void connectListHandlers();
    void connectFileListPointer();
    void removeBySubstring(const QString& procedure, RowList& list, SubstringFilter filter);
    int draggedRow() const;

    // Start-up.
    void ApplySkin();
    void OpenHomePageAtRandom();
    void SetApplicationTitle();
    void installPointerRules();
    void connectDropHandlers();
    void ListView1_OLEDragOver(QDropEvent* event);
    void ListView1_OLEDragDrop(QDropEvent* event);

    Platform& platform_;
    ErrorReporter errors_;
    RunningCommands running_;
    RowList files_{1, false};
    RowList results_{2, true};
    std::unique_ptr<ListView> ListView1;
    std::unique_ptr<ListView> ListView2;
    std::unique_ptr<RadioUnitOptions> unitOptions_;
    // The commands behind the buttons, each built once with the window.
    struct Commands;
    std::unique_ptr<Commands> commands_;

    std::function<void()> closeAction_;
    PointerSetting pointer_ = PointerSetting::Default;
    QCursor customCursor_{Qt::ArrowCursor};

    // Drag-to-reorder of the file list: set from press to release, and the row now holding
    // the carried path (it follows the row, and goes invalid when the row is removed).
    bool dragging_ = false;
    QPersistentModelIndex draggedRow_;

    PointerRules* pointerRules_ = nullptr;
    std::unique_ptr<ListMenu> fileListMenu_;
    std::unique_ptr<ListMenu> resultsMenu_;
    SortIndicator* resultsSortIndicator_ = nullptr; // owned by the header
};
