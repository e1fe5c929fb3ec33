#pragma once

#include "platform/settings_store.h"

#include <QString>

// A stored option as the program writes it ("True"/"False"), read back the way the program
// reads its own: through toBoolean.
inline bool readBoolean(const SettingsStore& store, const QString& key, bool defaultValue)
{
    return toBoolean(store.read(key, booleanText(defaultValue)));
}

inline void writeBoolean(SettingsStore& store, const QString& key, bool value)
{
    store.write(key, booleanText(value));
}
