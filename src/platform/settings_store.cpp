#include "platform/settings_store.h"

#include "platform/platform_error.h"

#include <QSettings>

bool SettingsStore::readBoolean(const QString& key, bool defaultValue) const
{
    return toBoolean(read(key, booleanText(defaultValue)));
}

void SettingsStore::writeBoolean(const QString& key, bool value)
{
    write(key, booleanText(value));
}

bool toBoolean(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (!isNumber) throw PlatformError(PlatformError::TypeMismatch, QStringLiteral("Type mismatch"));
    return number != 0.0;
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

namespace {

QSettings openStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromLatin1(QtSettingsStore::kApplication),
                     QString::fromLatin1(QtSettingsStore::kSection));
}

QString qualified(const QString& key)
{
    return QString::fromLatin1(QtSettingsStore::kSection) + u'/' + key;
}

} // namespace

QString QtSettingsStore::read(const QString& key, const QString& defaultText) const
{
    QSettings store = openStore();
    const QVariant value = store.value(qualified(key));
    return value.isValid() ? value.toString() : defaultText;
}

void QtSettingsStore::write(const QString& key, const QString& value)
{
    QSettings store = openStore();
    store.setValue(qualified(key), value);
    // Written the moment the choice is made, never at exit.
    store.sync();
    if (store.status() != QSettings::NoError)
        throw PlatformError(PlatformError::PermissionDenied,
                            QStringLiteral("Permission denied: cannot write %1").arg(store.fileName()));
}

QString QtSettingsStore::filePath()
{
    return openStore().fileName();
}
