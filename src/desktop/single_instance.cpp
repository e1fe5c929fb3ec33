#include "desktop/single_instance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SingleInstance {

namespace {

constexpr char kMagic[4] = {'B', 'M', 'P', '1'};
// Anything larger is no message of ours; refusing it keeps a stray writer from filling memory.
// A command line holds a few megabytes at the most.
constexpr quint32 kMaxPathBytes = 1u << 20;
constexpr quint32 kMaxPaths = 1u << 22;
constexpr qsizetype kMaxMessageBytes = qsizetype(8) << 20;
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

QByteArray encode(const QByteArrayList& paths)
{
    QByteArray bytes(kMagic, sizeof kMagic);
    appendNumber(bytes, quint32(paths.size()));
    for (const QByteArray& path : paths) {
        appendNumber(bytes, quint32(path.size()));
        bytes += path;
    }
    return bytes;
}

MessageReader::State MessageReader::feed(QByteArrayView bytes)
{
    if (state_ != State::Incomplete) return state_;
    if (received_ + bytes.size() > kMaxMessageBytes) return state_ = State::Invalid;
    received_ += bytes.size();
    buffer_.append(bytes);
    // Each part is read once, as soon as it is whole; what is read leaves the buffer.
    qsizetype at = 0;
    const auto invalid = [&] { return state_ = State::Invalid; };
    if (!pastMagic_) {
        const qsizetype magic = qMin<qsizetype>(buffer_.size(), sizeof kMagic);
        if (QByteArrayView(buffer_.constData(), magic) != QByteArrayView(kMagic, magic))
            return invalid();
        if (magic < qsizetype(sizeof kMagic)) return state_;
        pastMagic_ = true;
        at = sizeof kMagic;
    }
    while (true) {
        if (!counted_) {
            if (!readNumber(buffer_, at, remaining_)) break;
            if (remaining_ > kMaxPaths) return invalid();
            counted_ = true;
        }
        if (remaining_ == 0) {
            if (at != buffer_.size()) return invalid();
            buffer_.clear();
            return state_ = State::Complete;
        }
        if (pathLength_ < 0) {
            quint32 length = 0;
            if (!readNumber(buffer_, at, length)) break;
            if (length > kMaxPathBytes) return invalid();
            pathLength_ = length;
        }
        if (buffer_.size() - at < pathLength_) break;
        paths_ << buffer_.mid(at, pathLength_);
        at += pathLength_;
        pathLength_ = -1;
        --remaining_;
    }
    buffer_.remove(0, at);
    return state_;
}

HandOver handOver(const QString& socketPath, const QByteArrayList& paths, uid_t user, int timeoutMs)
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

InstanceServer::~InstanceServer()
{
    close();
}

bool InstanceServer::takeLock(const QString& socketPath, uid_t user)
{
    // Whoever holds the lock beside the socket owns the socket: only that window listens
    // there or removes it, so two windows that start at the same moment never both listen.
    const QByteArray lock = QFile::encodeName(socketPath + QStringLiteral(".lock"));
    const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat info
    {
    };
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != user) {
        if (fd >= 0) ::close(fd);
        error_ = QStringLiteral("%1 is not a lock of this user").arg(QFile::decodeName(lock));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        error_ = QStringLiteral("another window listens at %1").arg(socketPath);
        return false;
    }
    lockFd_ = fd;
    return true;
}

void InstanceServer::releaseLock()
{
    if (lockFd_ < 0) return;
    ::close(lockFd_); // the lock goes with it
    lockFd_ = -1;
}

bool InstanceServer::listen(const QString& socketPath, uid_t user)
{
    if (!takeLock(socketPath, user)) return false;
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(socketPath).constData(), &info) == 0) {
        if (!SingleInstance::isSocketOf(socketPath, user)) {
            error_ = QStringLiteral("%1 is not a socket of this user").arg(socketPath);
            releaseLock();
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(1000)) {
            // One that listens without the lock (an older program) keeps its place.
            error_ = QStringLiteral("another window listens at %1").arg(socketPath);
            releaseLock();
            return false;
        }
        if (::unlink(QFile::encodeName(socketPath).constData()) != 0 && errno != ENOENT) {
            error_ = QStringLiteral("cannot remove the stale socket %1").arg(socketPath);
            releaseLock();
            return false;
        }
    }
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath)) {
        error_ = server_.errorString();
        releaseLock();
        return false;
    }
    return true;
}

void InstanceServer::close()
{
    server_.close();
    releaseLock();
}

void InstanceServer::accept()
{
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, this, [this, connection] {
            pending_.remove(connection);
            connection->deleteLater();
        });
        // A later start says what it has at once; connections that linger or crowd in are
        // somebody else's, and are let go.
        if (pending_.size() >= kMaxConnections) {
            connection->abort();
            continue;
        }
        pending_.insert(connection, {});
        QTimer::singleShot(connectionMs_, connection, [this, connection] {
            if (pending_.remove(connection)) connection->abort();
        });
        connect(connection, &QLocalSocket::readyRead, this,
                [this, connection] { read(connection); });
        if (connection->bytesAvailable() > 0) read(connection);
    }
}

void InstanceServer::read(QLocalSocket* connection)
{
    // Read before looking the connection up: reading may find the other end gone, and the
    // connection's farewell takes its entry away.
    const QByteArray bytes = connection->readAll();
    auto entry = pending_.find(connection);
    if (entry == pending_.end()) return;
    Pending& pending = entry.value();
    if (pending.answered) {
        // The later start has heard the answer: the paths are this window's now.
        if (bytes.isEmpty()) return;
        const bool left = bytes.front() == SingleInstance::kLeft;
        const QByteArrayList paths = pending.reader.paths();
        pending_.erase(entry);
        connection->disconnectFromServer();
        if (left) emit pathsReceived(paths);
        return;
    }
    switch (pending.reader.feed(bytes)) {
    case SingleInstance::MessageReader::State::Incomplete:
        return;
    case SingleInstance::MessageReader::State::Invalid:
        pending_.erase(entry);
        connection->abort();
        return;
    case SingleInstance::MessageReader::State::Complete:
        // Answered at once, whatever the window is doing, so the later start need not wait.
        pending.answered = true;
        connection->putChar(SingleInstance::kTaken);
        connection->flush();
        return;
    }
}
