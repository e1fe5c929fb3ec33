#include "platform/launcher_entry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>
#include <cmath>

LauncherEntry::LauncherEntry(const QString& desktopId)
    : appUri_(QStringLiteral("application://") + desktopId)
{
}

void LauncherEntry::showProgress(double fraction)
{
    const int permille = int(std::lround(std::clamp(fraction, 0.0, 1.0) * 1000));
    if (shown_ && permille == lastPermille_) return;
    shown_ = true;
    lastPermille_ = permille;
    send({{QStringLiteral("progress"), permille / 1000.0},
          {QStringLiteral("progress-visible"), true}});
}

void LauncherEntry::hideProgress()
{
    if (!shown_) return;
    shown_ = false;
    lastPermille_ = -1;
    send({{QStringLiteral("progress-visible"), false}});
}

void LauncherEntry::send(const QVariantMap& properties)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage update = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    update << appUri_ << properties;
    bus.send(update);
}
