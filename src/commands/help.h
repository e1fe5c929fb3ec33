#pragma once

#include "commands/command.h"
#include "core/command_context.h"

// "Help": where questions go.
class Help : public Command
{
public:
    explicit Help(const CommandContext& context) : context_(context) {}

    InputRule inputRule() const override { return InputRule::Held; }
    void run() override;

private:
    CommandContext context_;
};
