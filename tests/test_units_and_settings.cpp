#include "core/unit_options.h"
#include "core/units.h"
#include "platform/platform_error.h"
#include "platform/settings_store.h"
#include "support/test_main.h"

#include <QSettings>

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
    }

    void workedValues()
    {
        QFETCH(double, size);
        QFETCH(QStringList, texts);
        for (short unit = 0; unit < 4; ++unit)
            QCOMPARE(ConvertUnitTo(unit, size), texts[unit]);
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
            } catch (const PlatformError& error) {
                QCOMPARE(error.number(), int(PlatformError::TypeMismatch));
            }
        }
    }

    void readsNeverCreateKeysAndWritesAreText()
    {
        removeAllSettings();
        QtSettingsStore store;
        QCOMPARE(store.read("Extension", "*"), QStringLiteral("*"));
        QVERIFY(store.readBoolean("Option2", true));
        QVERIFY(!QFile::exists(QtSettingsStore::filePath()));

        store.writeBoolean("Option2", false);
        store.write("Extension", " txt ");
        QCOMPARE(store.read("Extension", "*"), QStringLiteral(" txt "));
        QVERIFY(!store.readBoolean("Option2", true));

        // Written through at once, under the application's own section.
        QSettings file(QtSettingsStore::filePath(), QSettings::IniFormat);
        QCOMPARE(file.value("Bytemarsh/Option2").toString(), QStringLiteral("False"));
        QVERIFY(QtSettingsStore::filePath().endsWith("Quillory/Bytemarsh.ini"));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(UnitsAndSettingsTest)
#include "test_units_and_settings.moc"
