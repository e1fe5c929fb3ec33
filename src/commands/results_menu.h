#pragma once

#include "commands/command.h"
#include "core/command_context.h"
#include "core/results_order.h"

#include <functional>

class RowList;

// The results menu's items that work on every row. Each applies while the list has rows.
class ResultsMenuCommand : public Command
{
public:
    ResultsMenuCommand(RowList& results, const CommandContext& context)
        : results_(results), context_(context)
    {
    }

    InputRule inputRule() const override { return InputRule::Held; }
    bool applies() const override;

protected:
    RowList& results_;
    CommandContext context_;
};

// "Tick All", "Untick All", "Invert Ticks".
class ChangeResultsTicks : public ResultsMenuCommand
{
public:
    enum class Change { TickAll, UntickAll, Invert };

    ChangeResultsTicks(RowList& results, Change change, const CommandContext& context)
        : ResultsMenuCommand(results, context), change_(change)
    {
    }

    void run() override;

private:
    Change change_;
};

// The three sorts and a click on a results column's title: column 1 sorts by name, column 2 by
// size. Whoever shows the rows' order is told once they stand in it.
class SortResults : public ResultsMenuCommand
{
public:
    static constexpr int kNameColumn = 1;
    static constexpr int kSizeColumn = 2;
    using Sorted = std::function<void(int column, SortDirection direction)>;

    SortResults(RowList& results, int column, SortDirection direction, Sorted sorted,
                const CommandContext& context)
        : ResultsMenuCommand(results, context), column_(column), direction_(direction),
          sorted_(std::move(sorted))
    {
    }

    void run() override;

private:
    int column_;
    SortDirection direction_;
    Sorted sorted_;
};

// "Total…": the ticked rows' total, or every row's when none is ticked, in a box.
class ShowResultsTotal : public ResultsMenuCommand
{
public:
    using ResultsMenuCommand::ResultsMenuCommand;
    void run() override;
};
