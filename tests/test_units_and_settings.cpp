#include "base/runtime_error.h"
#include "core/unit_options.h"
#include "core/units.h"
#include "platform/settings_store.h"
#include "support/settings_booleans.h"
#include "support/test_main.h"

#include <QRandomGenerator>
#include <QSettings>
#include <algorithm>
#include <unistd.h>

namespace {

// The text of the error a write raises, or the empty text when it succeeds.
QString writeError(QtSettingsStore store, const char* key, const char* value)
{
    try {
        store.write(QString::fromLatin1(key), QString::fromLatin1(value));
    } catch (const RuntimeError& error) {
        return error.description();
    }
    return {};
}

// The four options as a person leaves them: one selected.
class Options : public UnitOptions
{
public:
    explicit Options(int selected) : selected_(selected) {}
    bool isSelected(int option) const override { return option == selected_; }
    void setSelected(int option, bool selected) override
    {
        if (selected) selected_ = option;
    }

private:
    int selected_;
};

QStringList storedUnitKeys()
{
    QSettings file(QtSettingsStore::filePath(), QSettings::IniFormat);
    QStringList values;
    for (int option = 1; option <= 4; ++option)
        values
            << file.value(QStringLiteral("Bytemarsh/Option%1").arg(option), "missing").toString();
    return values;
}

} // namespace

class UnitsAndSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void workedValues_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<QStringList>("texts");
        const auto row = [](const char* name, double size, QStringList texts) {
            QTest::newRow(name) << size << texts;
        };
        row("0", 0, {"0 bytes", "0 KB", "0 MB", "0GB"});
        row("1", 1, {"1 bytes", "0 KB", "0 MB", "0GB"});
        row("11", 11, {"11 bytes", "0.01 KB", "0 MB", "0GB"});
        row("1000", 1000, {"1000 bytes", "0.97 KB", "0 MB", "0GB"});
        row("1536", 1536, {"1536 bytes", "1.5 KB", "0 MB", "0GB"});
        row("1048575", 1048575, {"1048575 bytes", "1023.99 KB", "0.99 MB", "0GB"});
        row("1048576", 1048576, {"1048576 bytes", "1024 KB", "1 MB", "0GB"});
        row("123456789", 123456789, {"123456789 bytes", "120563.27 KB", "117.73 MB", "0.11GB"});
        row("2147483647", 2147483647,
            {"2147483647 bytes", "2097151.99 KB", "2047.99 MB", "1.99GB"});
        row("1023", 1023, {"1023 bytes", "0.99 KB", "0 MB", "0GB"});
        row("1073741824", 1073741824, {"1073741824 bytes", "1048576 KB", "1024 MB", "1GB"});
        row("3 GiB", 3221225472.0, {"3221225472 bytes", "3145728 KB", "3072 MB", "3GB"});
        // Every digit, never an exponent, up to the largest size a file can have.
        row("2^50", 0x1p50,
            {"1125899906842624 bytes", "1099511627776 KB", "1073741824 MB", "1048576GB"});
        row("2^62", 0x1p62,
            {"4611686018427387904 bytes", "4503599627370496 KB", "4398046511104 MB",
             "4294967296GB"});
    }

    void workedValues()
    {
        QFETCH(double, size);
        QFETCH(QStringList, texts);
        for (short unit = 0; unit < 4; ++unit)
            QCOMPARE(ConvertUnitTo(unit, size), texts[unit]);
    }

    void hugeSizesKeepTheirTruncatedDecimalsWithoutExponent()
    {
        // 2^61 + 512 bytes are 2^51 and a half kilobytes.
        QCOMPARE(ConvertUnitTo(UnitKilobytes, 0x1p61 + 512),
                 QStringLiteral("2251799813685248.5 KB"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(ConvertUnitTo(UnitKilobytes, 0x1p61 + 512),
                 QStringLiteral("2251799813685248,5 KB"));
    }

    void unknownUnitsGiveTheEmptyText()
    {
        QCOMPARE(ConvertUnitTo(7, 1536), QString());
        QCOMPARE(ConvertUnitTo(-1, 1536), QString());
    }

    void decimalSeparatorFollowsTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(ConvertUnitTo(UnitKilobytes, 1536), QStringLiteral("1,5 KB"));
        QCOMPARE(ConvertUnitTo(UnitBytes, 1234567), QStringLiteral("1234567 bytes"));
    }

    void booleanTexts()
    {
        QVERIFY(toBoolean("True"));
        QVERIFY(toBoolean("true"));
        QVERIFY(toBoolean("TRUE"));
        QVERIFY(!toBoolean("False"));
        QVERIFY(!toBoolean("fAlSe"));
        QVERIFY(toBoolean("1"));
        QVERIFY(toBoolean("-1"));
        QVERIFY(!toBoolean("0"));
        for (const char* bad : {"maybe", "", "yes"}) {
            try {
                toBoolean(QString::fromLatin1(bad));
                QFAIL("no conversion error");
            } catch (const RuntimeError& error) {
                QCOMPARE(error.number(), int(RuntimeError::TypeMismatch));
            }
        }
    }

    void readsNeverCreateKeysAndWritesAreText()
    {
        removeAllSettings();
        QtSettingsStore store;
        QCOMPARE(store.read("Extension", "*"), QStringLiteral("*"));
        QVERIFY(readBoolean(store, "Option2", true));
        QVERIFY(!QFile::exists(QtSettingsStore::filePath()));

        writeBoolean(store, "Option2", false);
        store.write("Extension", " txt ");
        QCOMPARE(store.read("Extension", "*"), QStringLiteral(" txt "));
        QVERIFY(!readBoolean(store, "Option2", true));

        // Written through at once, under the application's own section.
        QSettings file(QtSettingsStore::filePath(), QSettings::IniFormat);
        QCOMPARE(file.value("Bytemarsh/Option2").toString(), QStringLiteral("False"));
        QVERIFY(QtSettingsStore::filePath().endsWith("Quillory/Bytemarsh.ini"));
    }

    void aFileThatIsNoSettingsIsKeptAsideAndNamed()
    {
        removeAllSettings();
        const QString file = QtSettingsStore::filePath();
        QRandomGenerator random(12);
        QByteArray garbage(4096, 0);
        for (char& byte : garbage)
            byte = char(random.bounded(256));
        QByteArray moreGarbage = garbage;
        std::reverse(moreGarbage.begin(), moreGarbage.end());

        for (const QByteArray& bytes : {garbage, moreGarbage}) {
            writeFile(file, bytes);
            QtSettingsStore store;
            QCOMPARE(store.read("Option1", "1"), QStringLiteral("1"));
            const QString error = writeError(store, "Option1", "True");
            QVERIFY2(error.contains(QStringLiteral("could not be read as settings")) &&
                         !error.contains(QStringLiteral("Permission denied")),
                     qPrintable(error));
            // Once aside, the store is the program's own again.
            QCOMPARE(writeError(store, "Option2", "False"), QString());
            QCOMPARE(store.read("Option1", "x"), QStringLiteral("True"));
            QCOMPARE(QSettings(file, QSettings::IniFormat).allKeys(),
                     QStringList({"Bytemarsh/Option1", "Bytemarsh/Option2"}));
        }
        QCOMPARE(contentOf(file + ".bad"), garbage);
        QCOMPARE(contentOf(file + ".bad.1"), moreGarbage);
        QVERIFY(writeError(QtSettingsStore(), "Option3", "False").isEmpty());
        QVERIFY(!QFile::exists(file + ".bad.2"));
        QFile::remove(file + ".bad");
        QFile::remove(file + ".bad.1");
        removeAllSettings();
    }

    void aStoreThatCannotBeWrittenIsReportedForWhatItIs()
    {
        removeAllSettings();
        const QString file = QtSettingsStore::filePath();
        const QString folder = QFileInfo(file).absolutePath();
        QtSettingsStore store;

        QVERIFY(QDir().mkpath(file));
        QCOMPARE(store.read("Option1", "1"), QStringLiteral("1"));
        QCOMPARE(writeError(store, "Option1", "True"),
                 QStringLiteral("Path/File access error: %1 is a folder, not a settings file")
                     .arg(file));
        QVERIFY(QDir().rmdir(file));

        QVERIFY(QDir(folder).removeRecursively());
        writeFile(folder, "a file where the folder should be");
        QCOMPARE(store.read("Option1", "1"), QStringLiteral("1"));
        QCOMPARE(writeError(store, "Option1", "True"),
                 QStringLiteral("Path not found: %1 is a file, not a folder").arg(folder));
        QVERIFY(QFile::remove(folder));

        if (::geteuid() == 0) QSKIP("root may write every file: no permission to deny");
        writeFile(file, "[Bytemarsh]\nOption1=False\n");
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QString denied = writeError(store, "Option1", "True");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(denied, QStringLiteral("Permission denied: cannot write %1").arg(file));
        QCOMPARE(store.read("Option1", "1"), QStringLiteral("False"));
        removeAllSettings();
    }

    // The file goes bad while the program runs, between two unit clicks.
    void theUnitKeysAreWrittenTogetherAfterTheFileGoesBad_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QByteArray noise(2048, 0);
        QRandomGenerator random(5);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        QTest::newRow("random bytes") << noise;
        // No NUL anywhere, every line a key, but bytes no UTF-8 text has.
        QTest::newRow("not UTF-8")
            << QByteArray("[Bytemarsh]\nOption1=\xff\xfe\xfd\nOption2=\xc3\n");
    }

    void theUnitKeysAreWrittenTogetherAfterTheFileGoesBad()
    {
        QFETCH(QByteArray, bad);
        removeAllSettings();
        const QString file = QtSettingsStore::filePath();
        QtSettingsStore store;
        saveUnitOptions(Options(2), store);
        QCOMPARE(storedUnitKeys(), QStringList({"False", "True", "False", "False"}));

        writeFile(file, bad);
        QString error;
        try {
            saveUnitOptions(Options(3), store);
        } catch (const RuntimeError& failure) {
            error = failure.description();
        }

        QCOMPARE(error, QStringLiteral("Path/File access error: %1 could not be read as settings; "
                                       "it is kept as %2 and a fresh one begun")
                            .arg(file, file + ".bad"));
        QCOMPARE(contentOf(file + ".bad"), bad);
        QCOMPARE(storedUnitKeys(), QStringList({"False", "False", "True", "False"}));
        for (int option = 1; option <= 4; ++option)
            QCOMPARE(readBoolean(store, QStringLiteral("Option%1").arg(option), option != 3),
                     option == 3);
        // Moved aside once: the next click finds the program's own file again.
        saveUnitOptions(Options(4), store);
        QCOMPARE(storedUnitKeys(), QStringList({"False", "False", "False", "True"}));
        QVERIFY(!QFile::exists(file + ".bad.1"));
        QFile::remove(file + ".bad");
        removeAllSettings();
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(UnitsAndSettingsTest)
#include "test_units_and_settings.moc"
