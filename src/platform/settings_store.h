#pragma once

#include <QString>
#include <utility>
#include <vector>

// The per-user settings store: application "Quillory", section "Bytemarsh", values as text.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or the default when the key is missing. Never creates a key.
    virtual QString read(const QString& key, const QString& defaultText) const = 0;
    // Creates or replaces the keys and writes them through at once: all of them or none.
    // Throws RuntimeError on failure.
    virtual void writeAll(const std::vector<std::pair<QString, QString>>& values) = 0;
    void write(const QString& key, const QString& value) { writeAll({{key, value}}); }
};

// "True"/"False" in any letter case, or a number (anything but 0 is true); any other text
// throws RuntimeError 13 (type mismatch).
bool toBoolean(const QString& text);
QString booleanText(bool value);

// The INI file under the user's configuration folder ($XDG_CONFIG_HOME/Quillory/Bytemarsh.ini).
class QtSettingsStore : public SettingsStore
{
public:
    static constexpr auto kApplication = "Quillory";
    static constexpr auto kSection = "Bytemarsh";

    QString read(const QString& key, const QString& defaultText) const override;
    void writeAll(const std::vector<std::pair<QString, QString>>& values) override;

    static QString filePath();
};
