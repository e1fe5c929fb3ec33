#pragma once

#include "platform/file_manager.h"

#include <QString>

// The file manager that owns org.freedesktop.FileManager1 on the session bus. Asking waits
// for its answer in an event loop of its own (the window still repaints and hears its close;
// the command that asks holds the user's input meanwhile).
class SessionBusFileManager : public FileManager
{
public:
    static constexpr int kAnswerTimeoutMs = 5000;

    // Asks on the session bus, or on the bus of a connection made under that name beforehand
    // (QDBusConnection::connectToBus).
    explicit SessionBusFileManager(QString connectionName = {}, int timeoutMs = kAnswerTimeoutMs);

    bool showItem(const QByteArray& nativePath) override;

    // The file: address the file manager is given: every byte that is not plain ASCII
    // percent-encoded, so a name that is not UTF-8 reaches it whole.
    static QString fileUri(const QByteArray& nativePath);

private:
    QString connectionName_;
    int timeoutMs_;
};
