#include "platform/session_bus_file_manager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QStringList>

SessionBusFileManager::SessionBusFileManager(QString connectionName, int timeoutMs)
    : connectionName_(std::move(connectionName)), timeoutMs_(timeoutMs)
{
}

QString SessionBusFileManager::fileUri(const QByteArray& nativePath)
{
    return QStringLiteral("file://") + QString::fromLatin1(nativePath.toPercentEncoding("/"));
}

bool SessionBusFileManager::showItem(const QByteArray& nativePath)
{
    const QDBusConnection bus = connectionName_.isEmpty() ? QDBusConnection::sessionBus()
                                                          : QDBusConnection(connectionName_);
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{fileUri(nativePath)} << QString(); // no start-up notification to hand on
    const QDBusPendingCall pending = bus.asyncCall(call, timeoutMs_);
    // The bus answers every call, with an error when no one owns the name or the owner is
    // silent past the timeout.
    QDBusPendingCallWatcher watcher(pending);
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !watcher.isError();
}
