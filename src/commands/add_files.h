#pragma once

#include "commands/command.h"
#include "core/command_context.h"

#include <QStringList>

class RowList;

// The paths in an open-file dialog's answer: one path exactly as it came, or the folder NUL
// name NUL name ... form joined and cleaned. The empty answer (Cancel) gives none.
QStringList SelectedPaths(const QString& answer);

// "Add Files": every file chosen in one open-file dialog becomes a row of the file list.
class AddFiles : public Command
{
public:
    AddFiles(RowList& files, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& files_;
    CommandContext context_;
};

// "Load File List From Text File": loads every list file chosen in one dialog, in its order.
class LoadFileList : public Command
{
public:
    LoadFileList(RowList& files, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    RowList& files_;
    CommandContext context_;
};
