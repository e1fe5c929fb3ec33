#pragma once

#include "commands/running_commands.h"
#include "commands/window_commands.h"
#include "core/command_context.h"
#include "core/error_trap.h"
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
class ProgressLine;
class SortIndicator;
class QDropEvent;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The program's one window: the file list on the left, the results on the right. It lays out
// its controls and says, in one table, which command each control runs (connectHandlers); the
// commands themselves live in src/commands. Tests find the controls by their object names.
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

    // The commands behind the controls and menus, and the way each runs: inside its scope, as
    // its input rule says.
    WindowCommands& commands() { return *commands_; }
    void run(Command& command) { running_.run(command); }

    SkinFramework SkinFramework1;

    // The lists' context menus (right button, Menu key, Shift+F10), opened at a point of the
    // screen; neither opens while a command runs.
    void ListView1_ContextMenu(const QPoint& globalPoint);
    void ListView2_ContextMenu(const QPoint& globalPoint);
    // A click on a results column's header (1 = "Filename", 2 = "File Size"): sorts by it,
    // and the other way round when the rows stand sorted by it already.
    void ListView2_ColumnClick(int column);

    // The line over a list while a long command runs.
    ProgressLine& progressLine() { return *progressLine_; }

    ListMenu& fileListMenu() { return *fileListMenu_; }
    ListMenu& resultsMenu() { return *resultsMenu_; }
    // The results header's indicator of the last sort; 0 as its column when none shows.
    const SortIndicator& resultsSortIndicator() const { return *resultsSortIndicator_; }

    // Paths named on the command line or handed over by a later start, as the file system's
    // bytes: each goes in as a drop of that item would, in order; a path that names nothing is
    // skipped. Paths that come while a command runs wait for it to end.
    void addGivenPaths(const QByteArrayList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildListMenus();
    // Shows on the results header the order a sort left the rows in.
    SortResults::Sorted sortShown();
    void connectHandlers();
    void restoreUnitOption(int option);
    void applyPointer();
    void connectFileListPointer();
    int draggedRow() const;

    // Start-up.
    void ApplySkin();
    void OpenHomePageAtRandom();
    void SetApplicationTitle();
    void installPointerRules();
    void connectDropHandlers();
    void ListView1_OLEDragOver(QDropEvent* event);
    void ListView1_OLEDragDrop(QDropEvent* event);

    // Drag-to-reorder of the file list: the list's own notifications.
    void ListView1_MouseDown();
    void ListView1_ItemClick();
    void ListView1_MouseMove(const QPoint& point, int screenY);
    void ListView1_MouseUp();

    Platform& platform_;
    ErrorReporter errors_;
    RunningCommands running_;
    CommandContext context_;
    RowList files_{1, false};
    RowList results_{2, true};

    // Controls, by their names.
    std::unique_ptr<ListView> ListView1;
    std::unique_ptr<ListView> ListView2;
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
    std::unique_ptr<RadioUnitOptions> unitOptions_;
    ProgressLine* progressLine_ = nullptr;

    std::unique_ptr<WindowCommands> commands_;

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
