#pragma once

#include <QString>

// Every key the program keeps in its settings section, named once.
namespace SettingsKey {

inline const QString Extension = QStringLiteral("Extension");
inline const QString LastFolder = QStringLiteral("LastFolder");
inline const QString Snapshot = QStringLiteral("Snapshot");

// "Option1" to "Option4", one per unit option.
inline QString unitOption(int option)
{
    return QStringLiteral("Option%1").arg(option);
}

} // namespace SettingsKey
