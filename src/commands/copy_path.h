#pragma once

#include "commands/command.h"

class Clipboard;
class RowList;

// "Copy Path": the selected row's path, as plain text, on the clipboard. Nothing without a
// selected row.
class CopyPath : public Command
{
public:
    CopyPath(RowList& list, Clipboard& clipboard);

    InputRule inputRule() const override { return InputRule::Held; }
    // A row is selected.
    bool applies() const override;
    void run() override;

private:
    RowList& list_;
    Clipboard& clipboard_;
};
