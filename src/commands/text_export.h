#pragma once

#include "commands/command.h"
#include "core/command_context.h"

class RowList;

// "Save Results As Text File": the results' paths, one per line, into a file the user names.
class TextExport : public Command
{
public:
    TextExport(RowList& results, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    RowList& results_;
    CommandContext context_;
};
