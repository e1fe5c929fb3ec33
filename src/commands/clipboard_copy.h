#pragma once

#include "commands/command.h"
#include "core/command_context.h"

class Clipboard;
class RowList;

// "Copy Results To Clipboard": the ticked results rows, aligned, on the clipboard.
class ClipboardCopy : public Command
{
public:
    ClipboardCopy(RowList& results, Clipboard& clipboard, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    RowList& results_;
    Clipboard& clipboard_;
    CommandContext context_;
};
