#pragma once

#include "core/command_context.h"

class RowList;

// "Save Results As Text File": the results' paths, one per line, into a file the user names.
class TextExport
{
public:
    TextExport(RowList& results, const CommandContext& context);

    void run();

private:
    RowList& results_;
    CommandContext context_;
};
