#pragma once

#include "core/command_context.h"

class RowList;
class UnitOptions;

// "Start Checking": one results row per file-list row, with the file's size in the chosen unit.
// The sizes are read ahead on a pool of threads; the window repaints while a row waits.
class SizeCheck
{
public:
    SizeCheck(RowList& files, RowList& results, const UnitOptions& units,
              const CommandContext& context);

    void run();

private:
    RowList& files_;
    RowList& results_;
    const UnitOptions& units_;
    CommandContext context_;
    bool checking_ = false; // guards against re-entry through a nested event loop
};
