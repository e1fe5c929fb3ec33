#include "core/unit_options.h"

#include "core/settings_keys.h"
#include "platform/settings_store.h"

short selectedUnit(const UnitOptions& options, short previous)
{
    for (int option = 1; option <= 4; ++option)
        if (options.isSelected(option)) return short(option - 1);
    return previous;
}

void saveUnitOptions(const UnitOptions& options, SettingsStore& settings)
{
    for (int option = 1; option <= 4; ++option)
        settings.writeBoolean(SettingsKey::unitOption(option), options.isSelected(option));
}
