#pragma once

#include "commands/command.h"
#include "core/command_context.h"

#include <QString>

class RowList;
class SettingsStore;
class Shell;

// "Load Sample/Example Files": adds the recorded samples that exist and are not listed yet,
// then offers to open the samples folder. The unscrambling lets the user's events through, one
// round per character.
class LoadSampleFiles : public Command
{
public:
    LoadSampleFiles(RowList& files, SettingsStore& settings, Shell& shell, QString programFolder,
                    const CommandContext& context);

    InputRule inputRule() const override { return InputRule::LetThrough; }
    void run() override;

private:
    void addSamples();

    RowList& files_;
    SettingsStore& settings_;
    Shell& shell_;
    QString programFolder_;
    CommandContext context_;
};
