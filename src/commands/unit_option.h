#pragma once

#include "commands/command.h"
#include "core/command_context.h"

class SettingsStore;
class UnitOptions;

// A click on one of the unit options (1 to 4): the choice is stored at once.
class ChooseUnit : public Command
{
public:
    ChooseUnit(int option, const UnitOptions& options, SettingsStore& settings,
               const CommandContext& context);

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    int option_;
    const UnitOptions& options_;
    SettingsStore& settings_;
    CommandContext context_;
};
