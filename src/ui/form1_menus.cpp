#include "ui/form1.h"

#include "ui/list_menu.h"
#include "ui/sort_indicator.h"

#include <QHeaderView>

// The lists' context menus and the results' column headers.

namespace {

// The captions, as the menus show them.
const QString kTickAll = QStringLiteral("Tick All");
const QString kUntickAll = QStringLiteral("Untick All");
const QString kInvertTicks = QStringLiteral("Invert Ticks");
const QString kLargestFirst = QStringLiteral("Sort by Size, Largest First");
const QString kSmallestFirst = QStringLiteral("Sort by Size, Smallest First");
const QString kSortByName = QStringLiteral("Sort by Name");
const QString kTotal = QStringLiteral("Total\u2026");
const QString kOpenContainingFolder = QStringLiteral("Open Containing Folder");
const QString kCopyPath = QStringLiteral("Copy Path");

constexpr int kNameColumn = 1;
constexpr int kSizeColumn = 2;

Qt::SortOrder toSortOrder(SortDirection direction)
{
    return direction == SortDirection::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
}

} // namespace

void Form1::buildListMenus()
{
    const auto hasRows = [](RowList& list) { return [&list] { return list.count() > 0; }; };
    const auto hasSelection = [](RowList& list) {
        return [&list] { return list.selectedRow() > 0; };
    };
    const auto separator = ListMenu::Item{};

    resultsMenu_ = std::make_unique<ListMenu>(
        this, QStringLiteral("Results list menu"),
        std::vector<ListMenu::Item>{
            {kTickAll, hasRows(results_), [this] { changeResultsTicks(TickChange::TickAll); }},
            {kUntickAll, hasRows(results_), [this] { changeResultsTicks(TickChange::UntickAll); }},
            {kInvertTicks, hasRows(results_), [this] { changeResultsTicks(TickChange::Invert); }},
            separator,
            {kLargestFirst, hasRows(results_),
             [this] { sortResults(kSizeColumn, SortDirection::Descending); }},
            {kSmallestFirst, hasRows(results_),
             [this] { sortResults(kSizeColumn, SortDirection::Ascending); }},
            {kSortByName, hasRows(results_),
             [this] { sortResults(kNameColumn, SortDirection::Ascending); }},
            separator,
            {kTotal, hasRows(results_), [this] { showResultsTotal(); }},
            separator,
            {kOpenContainingFolder, hasSelection(results_),
             [this] { openContainingFolder(results_); }},
            {kCopyPath, hasSelection(results_), [this] { copyPath(results_); }},
        });
    fileListMenu_ = std::make_unique<ListMenu>(
        this, QStringLiteral("File list menu"),
        std::vector<ListMenu::Item>{
            {kOpenContainingFolder, hasSelection(files_), [this] { openContainingFolder(files_); }},
            {kCopyPath, hasSelection(files_), [this] { copyPath(files_); }},
        });

    connect(ListView1Widget, &ListViewWidget::menuRequested, this, &Form1::ListView1_ContextMenu);
    connect(ListView2Widget, &ListViewWidget::menuRequested, this, &Form1::ListView2_ContextMenu);

    resultsSortIndicator_ = new SortIndicator(ListView2Widget->header(), &results_.model());
    connect(ListView2Widget->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { ListView2_ColumnClick(section + 1); });
}

void Form1::ListView1_ContextMenu(const QPoint& globalPoint)
{
    // A press of any button starts a drag to reorder; the menu takes the release, so the drag
    // ends here, as the release would have ended it.
    ListView1_MouseUp();
    if (running_.any()) return;
    fileListMenu_->popup(globalPoint);
}

void Form1::ListView2_ContextMenu(const QPoint& globalPoint)
{
    if (running_.any()) return;
    resultsMenu_->popup(globalPoint);
}

void Form1::ListView2_ColumnClick(int column)
{
    // The header turned its indicator already; it shows what the rows' order is, and no more.
    resultsSortIndicator_->restore();
    if (column != kNameColumn && column != kSizeColumn) return;
    SortDirection direction;
    if (resultsSortIndicator_->column() == column)
        direction = resultsSortIndicator_->order() == Qt::AscendingOrder ? SortDirection::Descending
                                                                         : SortDirection::Ascending;
    else // names from A, sizes from the largest, as one looks for them
        direction = column == kNameColumn ? SortDirection::Ascending : SortDirection::Descending;
    sortResults(column, direction);
}

void Form1::changeResultsTicks(TickChange change)
{
    runMenuCommand([&] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("ChangeResultsTicks"));
        trap.line(100, [&] {
            if (change == TickChange::Invert)
                results_.invertChecked();
            else
                results_.setAllChecked(change == TickChange::TickAll);
        });
    });
}

void Form1::sortResults(int column, SortDirection direction)
{
    runMenuCommand([&] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("SortResults"));
        trap.line(100, [&] { setMousePointer(PointerSetting::Busy); });
        trap.line(102, [&] {
            results_.reorder(column == kNameColumn ? rowsByName(results_, direction)
                                                   : rowsBySize(results_, direction));
            resultsSortIndicator_->show(column, toSortOrder(direction));
        });
        trap.line(104, [&] { setMousePointer(PointerSetting::Default); });
    });
}
