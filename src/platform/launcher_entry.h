#pragma once

#include <QString>
#include <QVariantMap>

// The taskbar entry's progress bar, where the desktop draws one: docks and task managers read
// `com.canonical.Unity.LauncherEntry` `Update` signals on the session bus, naming the program by
// its .desktop file. Without a session bus it does nothing and says nothing.
class LauncherEntry
{
public:
    explicit LauncherEntry(const QString& desktopId = QStringLiteral("bytemarsh.desktop"));

    // The bar at `fraction` (0 to 1); sent only when it moved by a step worth drawing.
    void showProgress(double fraction);
    // The bar goes; sent only when it showed.
    void hideProgress();

private:
    static constexpr auto kObjectPath = "/com/canonical/unity/launcherentry/bytemarsh";

    void send(const QVariantMap& properties);

    QString appUri_;
    bool shown_ = false;
    int lastPermille_ = -1;
};
