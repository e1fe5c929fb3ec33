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
    // Together, so a failure never leaves a start-up to restore a half-written choice.
    std::vector<std::pair<QString, QString>> keys;
    for (int option = 1; option <= 4; ++option)
        keys.emplace_back(SettingsKey::unitOption(option), booleanText(options.isSelected(option)));
    settings.writeAll(keys);
}
