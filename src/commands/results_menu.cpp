#include "commands/results_menu.h"

#include "commands/locations.h"
#include "core/error_trap.h"
#include "core/results_total.h"
#include "core/window_pointer.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"

bool ResultsMenuCommand::applies() const
{
    return results_.count() > 0;
}

void ChangeResultsTicks::run()
{
    ErrorTrap trap(context_.errors, Handler::ChangeResultsTicks);
    trap.line(100, [&] {
        if (change_ == Change::Invert)
            results_.invertChecked();
        else
            results_.setAllChecked(change_ == Change::TickAll);
    });
}

void SortResults::run()
{
    ErrorTrap trap(context_.errors, Handler::SortResults);
    trap.line(100, [&] { context_.pointer.setMousePointer(PointerSetting::Busy); });
    trap.line(102, [&] {
        results_.reorder(column_ == kNameColumn ? rowsByName(results_, direction_)
                                                : rowsBySize(results_, direction_));
        if (sorted_) sorted_(column_, direction_);
    });
    trap.line(104, [&] { context_.pointer.setMousePointer(PointerSetting::Default); });
}

void ShowResultsTotal::run()
{
    ErrorTrap trap(context_.errors, Handler::ResultsTotal);
    ResultsTotal total;
    trap.line(100, [&] { total = totalOfTickedRows(results_); });
    trap.line(102, [&] { context_.dialogs.inform(totalMessage(total)); });
}
