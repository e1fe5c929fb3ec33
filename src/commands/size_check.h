#pragma once

#include "commands/command.h"
#include "core/command_context.h"

class RowList;
class UnitOptions;

// "Start Checking": one results row per file-list row, with the file's size in the chosen unit.
// The sizes are read ahead on a pool of threads; the window repaints while a row waits.
class SizeCheck : public Command
{
public:
    SizeCheck(RowList& files, RowList& results, const UnitOptions& units,
              const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& files_;
    RowList& results_;
    const UnitOptions& units_;
    CommandContext context_;
    bool checking_ = false; // guards against re-entry through a nested event loop
};
