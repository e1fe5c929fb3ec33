#pragma once

#include <QString>

// The per-user settings store: application "Quillory", section "Bytemarsh", values as text.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or the default when the key is missing. Never creates a key.
    virtual QString read(const QString& key, const QString& defaultText) const = 0;
    // Creates or replaces the key and writes it through at once; throws PlatformError on failure.
    virtual void write(const QString& key, const QString& value) = 0;

    bool readBoolean(const QString& key, bool defaultValue) const;
    void writeBoolean(const QString& key, bool value);
};

// "True"/"False" in any letter case, or a number (anything but 0 is true); any other text
// throws PlatformError 13 (type mismatch).
bool toBoolean(const QString& text);
QString booleanText(bool value);

// The INI file under the user's configuration folder ($XDG_CONFIG_HOME/Quillory/Bytemarsh.ini).
class QtSettingsStore : public SettingsStore
{
public:
    static constexpr auto kApplication = "Quillory";
    static constexpr auto kSection = "Bytemarsh";

    QString read(const QString& key, const QString& defaultText) const override;
    void write(const QString& key, const QString& value) override;

    static QString filePath();
};
