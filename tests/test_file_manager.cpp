#include "platform/session_bus_file_manager.h"
#include "support/test_main.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

namespace {

// A bus of the test's own, so nothing a desktop runs answers in its place.
class PrivateBus
{
public:
    PrivateBus()
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(10000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }

    bool up() const { return !address_.isEmpty(); }

    // A connection of its own to the bus, under a name of its own.
    QDBusConnection connect(const QString& name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// Owns the file manager's name on the bus: answers every ShowItems, or takes it and never
// answers, as a hung one would.
class FileManagerService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FileManagerService(bool answers) : answers_(answers) {}

    QStringList uris;
    QString startupId;

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        this->uris << uris;
        this->startupId = startupId;
        if (!answers_) setDelayedReply(true); // and the reply never comes
    }

private:
    bool answers_;
};

bool serve(QDBusConnection& bus, FileManagerService& service)
{
    return bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &service,
                              QDBusConnection::ExportAllSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
}

} // namespace

// The file manager asked over a real session bus: one that answers, none at all, a hung one.
class FileManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void aFileManagerThatAnswersGetsTheFileAsAnAddress()
    {
        PrivateBus bus;
        QVERIFY(bus.up());
        QDBusConnection serving = bus.connect(QStringLiteral("serving"));
        FileManagerService service(true);
        QVERIFY(serve(serving, service));
        bus.connect(QStringLiteral("asking"));

        SessionBusFileManager fileManager(QStringLiteral("asking"));
        QVERIFY(fileManager.showItem("/tmp/a folder/r\xc3\xa9sum\xc3\xa9 #1.txt"));
        // Bytes that are not UTF-8 reach it whole, percent-encoded.
        QVERIFY(fileManager.showItem("/tmp/\xff%.bin"));
        QCOMPARE(service.uris, QStringList({"file:///tmp/a%20folder/r%C3%A9sum%C3%A9%20%231.txt",
                                            "file:///tmp/%FF%25.bin"}));
        QCOMPARE(service.startupId, QString());
    }

    void aBusWhereNothingAnswersSaysSoAtOnce()
    {
        PrivateBus bus;
        QVERIFY(bus.up());
        bus.connect(QStringLiteral("alone"));
        SessionBusFileManager fileManager(QStringLiteral("alone"));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!fileManager.showItem("/tmp/x"));
        // The bus itself refuses a name nobody owns; no timeout is waited for.
        QVERIFY(clock.elapsed() < SessionBusFileManager::kAnswerTimeoutMs);
    }

    void aFileManagerThatHangsIsGivenUpOn()
    {
        PrivateBus bus;
        QVERIFY(bus.up());
        QDBusConnection serving = bus.connect(QStringLiteral("hung"));
        FileManagerService service(false);
        QVERIFY(serve(serving, service));
        bus.connect(QStringLiteral("waiting"));
        SessionBusFileManager fileManager(QStringLiteral("waiting"), 300);
        QVERIFY(!fileManager.showItem("/tmp/y"));
        QCOMPARE(service.uris, QStringList({"file:///tmp/y"}));
    }

    void noBusAtAllIsNoFileManager()
    {
        SessionBusFileManager fileManager(QStringLiteral("never connected"));
        QVERIFY(!fileManager.showItem("/tmp/z"));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(FileManagerTest)
#include "test_file_manager.moc"
