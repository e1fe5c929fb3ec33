#include "desktop/single_instance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace SingleInstance {

namespace {

constexpr char kMagic[4] = {'B', 'M', 'P', '1'};
// Anything larger is no message of ours; refusing it keeps a stray writer from filling memory.
constexpr quint32 kMaxPathBytes = 1u << 20;
constexpr quint32 kMaxPaths = 1u << 22;
// The window's answer, and the later start's word that it has heard it and leaves the paths to
// the window. A window keeps paths only once that word comes, so a start that gave up waiting
// (and opens its own window with them) never has them added twice.
constexpr char kTaken = 'K';
constexpr char kLeft = 'L';

void appendNumber(QByteArray& bytes, quint32 number)
{
    const quint32 big = qToBigEndian(number);
    bytes.append(reinterpret_cast<const char*>(&big), sizeof big);
}

bool readNumber(const QByteArray& bytes, qsizetype& at, quint32& number)
{
    if (bytes.size() - at < qsizetype(sizeof number)) return false;
    number = qFromBigEndian<quint32>(bytes.constData() + at);
    at += sizeof number;
    return true;
}

bool lstatOf(const QString& path, struct stat& info)
{
    const QByteArray native = QFile::encodeName(path);
    return !native.isEmpty() && ::lstat(native.constData(), &info) == 0;
}

} // namespace

bool isPrivateFolderOf(const QString& path, uid_t user)
{
    struct stat info
    {
    };
    return lstatOf(path, info) && S_ISDIR(info.st_mode) && info.st_uid == user &&
           (info.st_mode & 077) == 0;
}

bool isSocketOf(const QString& path, uid_t user)
{
    struct stat info
    {
    };
    return lstatOf(path, info) && S_ISSOCK(info.st_mode) && info.st_uid == user;
}

QString runtimeFolder(const QString& xdgRuntimeDir, const QString& fallbackParent, uid_t user)
{
    if (!xdgRuntimeDir.isEmpty() && isPrivateFolderOf(xdgRuntimeDir, user)) return xdgRuntimeDir;
    const QString fallback = QStringLiteral("%1/bytemarsh-%2").arg(fallbackParent).arg(user);
    // Made private from the start; a folder someone else made there first fails the test below.
    ::mkdir(QFile::encodeName(fallback).constData(), 0700);
    return isPrivateFolderOf(fallback, user) ? fallback : QString();
}

QString socketPathIn(const QString& folder, uid_t user)
{
    return QStringLiteral("%1/bytemarsh-%2.socket").arg(folder).arg(user);
}

QString socketPath()
{
    const QString folder =
        runtimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"), ::geteuid());
    return folder.isEmpty() ? QString() : socketPathIn(folder, ::geteuid());
}

QByteArray encode(const QStringList& paths)
{
    QByteArray bytes(kMagic, sizeof kMagic);
    appendNumber(bytes, quint32(paths.size()));
    for (const QString& path : paths) {
        const QByteArray native = QFile::encodeName(path);
        appendNumber(bytes, quint32(native.size()));
        bytes += native;
    }
    return bytes;
}

Decoded decode(const QByteArray& bytes, QStringList& paths)
{
    paths.clear();
    const qsizetype magic = qMin<qsizetype>(bytes.size(), sizeof kMagic);
    if (QByteArrayView(bytes.constData(), magic) != QByteArrayView(kMagic, magic))
        return Decoded::Invalid;
    qsizetype at = sizeof kMagic;
    quint32 count = 0;
    if (!readNumber(bytes, at, count)) return Decoded::Incomplete;
    if (count > kMaxPaths) return Decoded::Invalid;
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!readNumber(bytes, at, length)) return Decoded::Incomplete;
        if (length > kMaxPathBytes) return Decoded::Invalid;
        if (bytes.size() - at < qsizetype(length)) return Decoded::Incomplete;
        paths << QFile::decodeName(bytes.mid(at, length));
        at += length;
    }
    return at == bytes.size() ? Decoded::Complete : Decoded::Invalid;
}

HandOver handOver(const QString& socketPath, const QStringList& paths, uid_t user, int timeoutMs)
{
    if (socketPath.isEmpty() || !isSocketOf(socketPath, user)) return HandOver::NoWindow;
    const QDeadlineTimer deadline(timeoutMs);
    const auto remaining = [&] { return int(std::max<qint64>(deadline.remainingTime(), 1)); };
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    // A socket file nobody listens on is what a killed program leaves.
    if (!socket.waitForConnected(remaining())) return HandOver::NoWindow;
    const auto sent = [&](const QByteArray& bytes) {
        socket.write(bytes);
        while (socket.bytesToWrite() > 0)
            if (deadline.hasExpired() || !socket.waitForBytesWritten(remaining())) return false;
        return true;
    };
    if (!sent(encode(paths))) return HandOver::Failed;
    while (socket.bytesAvailable() == 0)
        if (deadline.hasExpired() || !socket.waitForReadyRead(remaining())) return HandOver::Failed;
    char answer = 0;
    if (!socket.getChar(&answer) || answer != kTaken) return HandOver::Failed;
    if (!sent(QByteArray(1, kLeft))) return HandOver::Failed;
    socket.disconnectFromServer();
    return HandOver::Taken;
}

} // namespace SingleInstance

InstanceServer::InstanceServer(QObject* parent) : QObject(parent)
{
    connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

bool InstanceServer::listen(const QString& socketPath, uid_t user)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(socketPath).constData(), &info) == 0) {
        if (!SingleInstance::isSocketOf(socketPath, user)) {
            error_ = QStringLiteral("%1 is not a socket of this user").arg(socketPath);
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(1000)) {
            error_ = QStringLiteral("another window listens at %1").arg(socketPath);
            return false;
        }
        if (::unlink(QFile::encodeName(socketPath).constData()) != 0 && errno != ENOENT) {
            error_ = QStringLiteral("cannot remove the stale socket %1").arg(socketPath);
            return false;
        }
    }
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath)) {
        error_ = server_.errorString();
        return false;
    }
    return true;
}

void InstanceServer::accept()
{
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        pending_.insert(connection, {});
        connect(connection, &QLocalSocket::readyRead, this,
                [this, connection] { read(connection); });
        connect(connection, &QLocalSocket::disconnected, this, [this, connection] {
            pending_.remove(connection);
            connection->deleteLater();
        });
        if (connection->bytesAvailable() > 0) read(connection);
    }
}

void InstanceServer::read(QLocalSocket* connection)
{
    auto entry = pending_.find(connection);
    if (entry == pending_.end()) return;
    Pending& pending = entry.value();
    pending.bytes += connection->readAll();
    if (pending.answered) {
        // The later start has heard the answer: the paths are this window's now.
        if (pending.bytes.isEmpty()) return;
        const bool left = pending.bytes.front() == SingleInstance::kLeft;
        const QStringList paths = std::move(pending.paths);
        pending_.erase(entry);
        connection->disconnectFromServer();
        if (left) emit pathsReceived(paths);
        return;
    }
    switch (SingleInstance::decode(pending.bytes, pending.paths)) {
    case SingleInstance::Decoded::Incomplete:
        pending.paths.clear();
        return;
    case SingleInstance::Decoded::Invalid:
        pending_.erase(entry);
        connection->abort();
        return;
    case SingleInstance::Decoded::Complete:
        // Answered at once, whatever the window is doing, so the later start need not wait.
        pending.bytes.clear();
        pending.answered = true;
        connection->putChar(SingleInstance::kTaken);
        connection->flush();
        return;
    }
}
