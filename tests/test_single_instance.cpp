#include "desktop/single_instance.h"
#include "support/test_main.h"
#include "support/whole_message.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace SingleInstance;

namespace {

// What a killed program leaves: a socket file that nobody listens on.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The sending side blocks until the window answers, so it runs beside the event loop.
HandOver handOverBeside(const QString& socket, const QByteArrayList& paths,
                        uid_t user = ::geteuid())
{
    auto result =
        std::async(std::launch::async, [=] { return handOver(socket, paths, user, 5000); });
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return result.get();
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }
    const uid_t me_ = ::geteuid();

private slots:
    void messagesCarryPathsExactlyAndInOrder()
    {
        const QByteArrayList paths = {"/a b/c.txt", "/line\nbreak", "/ü/ñ",
                                      "",           "/a b/c.txt",   "/not\xff utf-8"};
        const QByteArray message = encode(paths);
        QByteArrayList decoded;
        QCOMPARE(readWholeMessage(message, decoded), MessageReader::State::Complete);
        QCOMPARE(decoded, paths);
        QCOMPARE(readWholeMessage(encode({}), decoded), MessageReader::State::Complete);
        QVERIFY(decoded.isEmpty());
    }

    void partialAndForeignMessagesAreNeverTaken()
    {
        const QByteArray message = encode({"/one", "/two"});
        QByteArrayList decoded;
        for (qsizetype length = 0; length < message.size(); ++length)
            QCOMPARE(readWholeMessage(message.left(length), decoded),
                     MessageReader::State::Incomplete);
        QCOMPARE(readWholeMessage(message + 'x', decoded), MessageReader::State::Invalid);
        QCOMPARE(readWholeMessage(QByteArray("GET / HTTP/1.0\r\n"), decoded),
                 MessageReader::State::Invalid);
        QByteArray huge = message.left(8);
        huge += QByteArray::fromHex("7fffffff");
        QCOMPARE(readWholeMessage(huge, decoded), MessageReader::State::Invalid);
    }

    void theRuntimeFolderMustBePrivate()
    {
        const QString xdg = path("xdg");
        QVERIFY(QDir().mkpath(xdg));
        QCOMPARE(::chmod(QFile::encodeName(xdg).constData(), 0700), 0);
        QCOMPARE(runtimeFolder(xdg, path("tmp"), me_), xdg);
        QVERIFY(isPrivateFolderOf(xdg, me_));
        QVERIFY(!isPrivateFolderOf(xdg, me_ + 1));

        // Open to others, or unset: a private folder of our own under the fallback parent.
        QCOMPARE(::chmod(QFile::encodeName(xdg).constData(), 0755), 0);
        QVERIFY(QDir().mkpath(path("tmp")));
        const QString fallback = path("tmp/bytemarsh-%1").arg(me_);
        QCOMPARE(runtimeFolder(xdg, path("tmp"), me_), fallback);
        QCOMPARE(modeOf(fallback), mode_t(0700));
        QCOMPARE(runtimeFolder(QString(), path("tmp"), me_), fallback);
        QCOMPARE(socketPathIn(fallback, me_),
                 fallback + QStringLiteral("/bytemarsh-%1.socket").arg(me_));

        // A fallback that others can enter, or that is a link, is not used at all.
        QCOMPARE(::chmod(QFile::encodeName(fallback).constData(), 0777), 0);
        QCOMPARE(runtimeFolder(QString(), path("tmp"), me_), QString());
        QVERIFY(QDir().mkpath(path("elsewhere")));
        QCOMPARE(::chmod(QFile::encodeName(path("elsewhere")).constData(), 0700), 0);
        QVERIFY(QDir().mkpath(path("linked")));
        QVERIFY(QFile::link(path("elsewhere"), path("linked/bytemarsh-%1").arg(me_)));
        QCOMPARE(runtimeFolder(QString(), path("linked"), me_), QString());
    }

    void onlyOurOwnSocketsCount()
    {
        const QString socket = path("own.socket");
        leaveStaleSocket(socket);
        QVERIFY(isSocketOf(socket, me_));
        QVERIFY(!isSocketOf(socket, me_ + 1));
        QVERIFY(QFile::link(socket, path("link.socket")));
        QVERIFY(!isSocketOf(path("link.socket"), me_)); // a link is not the socket itself
        writeFile(path("plain"), "x");
        QVERIFY(!isSocketOf(path("plain"), me_));
        QVERIFY(!isSocketOf(path("missing"), me_));
    }

    void aRunningWindowTakesTheHandedPaths()
    {
        const QString socket = path("live.socket");
        InstanceServer server;
        QVERIFY2(server.listen(socket), qPrintable(server.errorString()));
        QCOMPARE(modeOf(socket) & 077, mode_t(0)); // only the user may connect
        QSignalSpy received(&server, &InstanceServer::pathsReceived);

        QCOMPARE(handOverBeside(socket, {"/first", "/second dir"}), HandOver::Taken);
        QCOMPARE(handOverBeside(socket, {"/third"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received[0][0].value<QByteArrayList>(), QByteArrayList({"/first", "/second dir"}));
        QCOMPARE(received[1][0].value<QByteArrayList>(), QByteArrayList({"/third"}));

        // While it listens, nobody else takes the place over.
        InstanceServer second;
        QVERIFY(!second.listen(socket));
        QVERIFY(isSocketOf(socket, me_));
        QCOMPARE(handOverBeside(socket, {"/fourth"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 3);

        // A window that closes leaves nothing behind.
        server.close();
        QVERIFY(!QFileInfo::exists(socket));
        QCOMPARE(handOver(socket, {"/fifth"}), HandOver::NoWindow);
    }

    void aStartThatGaveUpWaitingIsNeverAddedTwice()
    {
        const QString socket = path("slow.socket");
        InstanceServer server;
        QVERIFY(server.listen(socket));
        QSignalSpy received(&server, &InstanceServer::pathsReceived);

        // The window is busy elsewhere: the start stops waiting after its second and goes on
        // to open a window of its own.
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(handOver(socket, {"/mine"}, me_, 300), HandOver::Failed);
        QVERIFY(waited.elapsed() < 3000);
        // When the window comes to the message at last, the start has gone: nothing is added.
        QTest::qWait(200);
        QCOMPARE(received.size(), 0);

        // A start that hears the answer but never says it leaves the paths is not added either.
        QLocalSocket quiet;
        quiet.connectToServer(socket);
        QVERIFY(quiet.waitForConnected(2000));
        quiet.write(encode({"/quiet"}));
        QTRY_VERIFY(quiet.bytesAvailable() > 0);
        quiet.abort();
        QTest::qWait(100);
        QCOMPARE(received.size(), 0);

        QCOMPARE(handOverBeside(socket, {"/patient"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received[0][0].value<QByteArrayList>(), QByteArrayList({"/patient"}));
    }

    void onlyOneOfTwoWindowsThatStartTogetherListens()
    {
        const QString socket = path("race.socket");
        InstanceServer first;
        QVERIFY(first.listen(socket));
        // The second comes while the first's socket is not (or no longer) in place: without the
        // lock it would listen too, and closing either window would remove the other's socket.
        QVERIFY(QFile::remove(socket));
        InstanceServer second;
        QVERIFY(!second.listen(socket));
        QVERIFY(second.errorString().contains(QStringLiteral("another window")));
        second.close();
        first.close();
        InstanceServer third;
        QVERIFY2(third.listen(socket), qPrintable(third.errorString()));
        QSignalSpy received(&third, &InstanceServer::pathsReceived);
        QCOMPARE(handOverBeside(socket, {"/third"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 1);
    }

    void oversizedAndLingeringConnectionsAreLetGo()
    {
        const QString socket = path("bounded.socket");
        InstanceServer server;
        server.setConnectionTimeout(300);
        QVERIFY(server.listen(socket));
        QSignalSpy received(&server, &InstanceServer::pathsReceived);

        // A well-formed message far past any command line (100 paths of a megabyte each):
        // refused once it passes the bound, long before its end, and quickly.
        QElapsedTimer took;
        took.start();
        QLocalSocket flood;
        flood.connectToServer(socket);
        QVERIFY(flood.waitForConnected(2000));
        QByteArray header = encode({});
        header.chop(4);
        flood.write(header + QByteArray::fromHex("00000064"));
        const QByteArray path = QByteArray::fromHex("000fffff") + QByteArray(0xfffff, 'x');
        int sent = 0;
        for (; sent < 100 && flood.state() == QLocalSocket::ConnectedState; ++sent) {
            flood.write(path);
            while (flood.bytesToWrite() > 0 && flood.state() == QLocalSocket::ConnectedState) {
                flood.waitForBytesWritten(10);
                QCoreApplication::processEvents();
            }
        }
        QTRY_COMPARE(flood.state(), QLocalSocket::UnconnectedState);
        QVERIFY2(sent < 20, qPrintable(QString::number(sent)));
        QVERIFY(took.elapsed() < 10000);
        QCOMPARE(received.size(), 0);

        // Connections that say nothing are closed after the deadline.
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < 40; ++i) {
            idle.push_back(std::make_unique<QLocalSocket>());
            idle.back()->connectToServer(socket);
            QVERIFY(idle.back()->waitForConnected(2000));
        }
        QTRY_VERIFY(std::all_of(idle.begin(), idle.end(), [](const auto& connection) {
            return connection->state() == QLocalSocket::UnconnectedState;
        }));
        QCOMPARE(handOverBeside(socket, {"/after"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 1);
    }

    void withoutAWindowTheStartBecomesTheWindow()
    {
        QCOMPARE(handOver(path("none.socket"), {"/a"}), HandOver::NoWindow);
        QCOMPARE(handOver(QString(), {"/a"}), HandOver::NoWindow);
    }

    void aStaleSocketIsTakenOver()
    {
        const QString socket = path("stale.socket");
        leaveStaleSocket(socket);
        QCOMPARE(handOver(socket, {"/a"}, me_, 2000), HandOver::NoWindow);
        InstanceServer server;
        QVERIFY2(server.listen(socket), qPrintable(server.errorString()));
        QSignalSpy received(&server, &InstanceServer::pathsReceived);
        QCOMPARE(handOverBeside(socket, {"/after"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 1);
    }

    void aSocketOfAnotherUserIsNeverUsedNorRemoved()
    {
        const QString socket = path("theirs.socket");
        QLocalServer theirs;
        QVERIFY(theirs.listen(socket));
        // As root the file really changes hands; otherwise the rule is asked about another user.
        uid_t owner = me_;
        if (me_ == 0)
            QCOMPARE(::chown(QFile::encodeName(socket).constData(), 65534, 65534), 0);
        else
            owner = me_ + 1;
        const uid_t asking = me_ == 0 ? me_ : owner;

        QCOMPARE(handOverBeside(socket, {"/secret"}, asking), HandOver::NoWindow);
        QCoreApplication::processEvents();
        QVERIFY(!theirs.hasPendingConnections());

        InstanceServer mine;
        QVERIFY(!mine.listen(socket, asking));
        QVERIFY(!mine.isListening());
        QVERIFY(QFileInfo::exists(socket));

        // The same holds for a stale one: it stays where it is.
        theirs.close();
        leaveStaleSocket(socket);
        if (me_ == 0) QCOMPARE(::chown(QFile::encodeName(socket).constData(), 65534, 65534), 0);
        QVERIFY(!mine.listen(socket, asking));
        QVERIFY(QFileInfo::exists(socket));
    }

    void aStrayMessageIsDroppedAndTheServerGoesOn()
    {
        const QString socket = path("stray.socket");
        InstanceServer server;
        QVERIFY(server.listen(socket));
        QSignalSpy received(&server, &InstanceServer::pathsReceived);
        QLocalSocket stray;
        stray.connectToServer(socket);
        QVERIFY(stray.waitForConnected(2000));
        stray.write("not our message at all");
        stray.flush();
        QTRY_COMPARE(stray.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(received.size(), 0);
        QCOMPARE(handOverBeside(socket, {"/fine"}), HandOver::Taken);
        QTRY_COMPARE(received.size(), 1);
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(SingleInstanceTest)
#include "test_single_instance.moc"
