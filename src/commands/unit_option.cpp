#include "commands/unit_option.h"

#include "commands/locations.h"
#include "core/unit_options.h"

ChooseUnit::ChooseUnit(int option, const UnitOptions& options, SettingsStore& settings,
                       const CommandContext& context)
    : option_(option), options_(options), settings_(settings), context_(context)
{
}

void ChooseUnit::run()
{
    ErrorTrap trap(context_.errors, Handler::OptionClick[option_ - 1]);
    trap.line(100, [&] { saveUnitOptions(options_, settings_); });
}
