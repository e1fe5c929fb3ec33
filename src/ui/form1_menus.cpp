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

constexpr int kNameColumn = SortResults::kNameColumn;
constexpr int kSizeColumn = SortResults::kSizeColumn;

} // namespace

void Form1::buildListMenus()
{
    // An item applies as its command says, and runs it as a menu's command: nothing once
    // another command has started.
    const auto item = [this](const QString& caption, Command& command) {
        return ListMenu::Item{caption, [&command] { return command.applies(); },
                              [this, &command] { running_.runUnlessAnyRuns(command); }};
    };
    const auto separator = ListMenu::Item{};
    WindowCommands& c = *commands_;

    resultsMenu_ = std::make_unique<ListMenu>(this, QStringLiteral("Results list menu"),
                                              std::vector<ListMenu::Item>{
                                                  item(kTickAll, c.tickAll),
                                                  item(kUntickAll, c.untickAll),
                                                  item(kInvertTicks, c.invertTicks),
                                                  separator,
                                                  item(kLargestFirst, c.sortLargestFirst),
                                                  item(kSmallestFirst, c.sortSmallestFirst),
                                                  item(kSortByName, c.sortByName),
                                                  separator,
                                                  item(kTotal, c.total),
                                                  separator,
                                                  item(kOpenContainingFolder, c.openResultFolder),
                                                  item(kCopyPath, c.copyResultPath),
                                              });
    fileListMenu_ = std::make_unique<ListMenu>(this, QStringLiteral("File list menu"),
                                               std::vector<ListMenu::Item>{
                                                   item(kOpenContainingFolder, c.openFileFolder),
                                                   item(kCopyPath, c.copyFilePath),
                                               });

    connect(ListView1->widget(), &ListViewWidget::menuRequested, this,
            &Form1::ListView1_ContextMenu);
    connect(ListView2->widget(), &ListViewWidget::menuRequested, this,
            &Form1::ListView2_ContextMenu);

    resultsSortIndicator_ = new SortIndicator(ListView2->widget()->header(), &results_.model());
    connect(ListView2->widget()->header(), &QHeaderView::sectionClicked, this,
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
    SortResults sort(results_, column, direction, sortShown(), context_);
    running_.runUnlessAnyRuns(sort);
}

SortResults::Sorted Form1::sortShown()
{
    return [this](int column, SortDirection direction) {
        resultsSortIndicator_->show(column, direction == SortDirection::Ascending
                                                ? Qt::AscendingOrder
                                                : Qt::DescendingOrder);
    };
}
