#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <unistd.h>

class QLocalSocket;

// One window per user: a later start hands its paths to the window already open through a
// local socket in the user's runtime folder. A socket is only ever used, or removed, when it
// belongs to the user; someone else's file at that place is left alone.
namespace SingleInstance {

// $XDG_RUNTIME_DIR when it is a private folder of `user`; otherwise `fallbackParent`/
// bytemarsh-UID, made private (0700) when missing. Empty when neither is safe to use.
QString runtimeFolder(const QString& xdgRuntimeDir, const QString& fallbackParent, uid_t user);
// The socket of the user running the program, or empty when there is no safe place for it.
QString socketPath();
QString socketPathIn(const QString& folder, uid_t user);

// A folder (not a link to one) owned by `user` that nobody else may enter.
bool isPrivateFolderOf(const QString& path, uid_t user);
// A socket file (not a link to one) owned by `user`.
bool isSocketOf(const QString& path, uid_t user);

// The message: "BMP1", the number of paths, then each path's length and bytes, all lengths
// 32-bit big-endian. Paths travel as the file system's bytes.
QByteArray encode(const QByteArrayList& paths);

// Reads one message as it arrives, each part once, so the time is in proportion to the size.
// A message of more than a few megabytes, or of another form, is refused.
class MessageReader
{
public:
    enum class State { Incomplete, Complete, Invalid };
    State feed(QByteArrayView bytes);
    const QByteArrayList& paths() const { return paths_; }

private:
    State state_ = State::Incomplete;
    QByteArray buffer_; // what has come but is not read yet
    qsizetype received_ = 0;
    bool pastMagic_ = false;
    bool counted_ = false;
    quint32 remaining_ = 0; // paths still to read
    qsizetype pathLength_ = -1;
    QByteArrayList paths_;
};

enum class HandOver {
    Taken,    // a running window has the paths
    NoWindow, // nobody of this user listens
    Failed,   // a window is there but did not take the paths in time; it will not add them
};
// Offers the paths to the running window of `user`, waiting at most `timeoutMs` in all.
HandOver handOver(const QString& socketPath, const QByteArrayList& paths, uid_t user = ::geteuid(),
                  int timeoutMs = 1000);

} // namespace SingleInstance

// The running window's end of the socket.
class InstanceServer : public QObject
{
    Q_OBJECT

public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens at `socketPath`, once it holds the lock beside it (`socketPath`.lock). A socket
    // left behind by a program that ended without removing it is taken over; a live one, or
    // anything not a socket of `user`, is not.
    bool listen(const QString& socketPath, uid_t user = ::geteuid());
    bool isListening() const { return server_.isListening(); }
    // Stops listening and removes the socket file.
    void close();
    // How long a connection may take to say what it has before it is let go.
    void setConnectionTimeout(int ms) { connectionMs_ = ms; }
    QString errorString() const { return error_; }

signals:
    // On the thread that owns the server, in the order the paths were given.
    void pathsReceived(const QByteArrayList& paths);

private:
    static constexpr int kMaxConnections = 32;

    bool takeLock(const QString& socketPath, uid_t user);
    void releaseLock();
    void accept();
    void read(QLocalSocket* connection);

    // A connection's message as it arrives; once answered, the paths wait for the word that
    // the later start has left them to this window.
    struct Pending
    {
        SingleInstance::MessageReader reader;
        bool answered = false;
    };

    QLocalServer server_;
    QHash<QLocalSocket*, Pending> pending_;
    QString error_;
    int lockFd_ = -1;
    int connectionMs_ = 5000;
};
