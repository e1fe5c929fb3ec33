#pragma once

#include "commands/command.h"
#include "core/command_context.h"

#include <QString>

class RowList;
class SettingsStore;

// "Add All Files In Folder": asks for an extension and a folder, remembers both, and adds
// every matching file of the folder's tree. Its scan lets the user's events through, the waits
// on the folders' readers too.
class AddAllFilesInFolder : public Command
{
public:
    AddAllFilesInFolder(RowList& files, SettingsStore& settings, const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    RowList& files_;
    SettingsStore& settings_;
    QString lastFolder_;
    CommandContext context_;
};
