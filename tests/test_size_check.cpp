#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QRadioButton>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Window = LoadedWindow;

QStringList sizes(RowList& results)
{
    QStringList result;
    for (int row = 1; row <= results.count(); ++row)
        result << results.subItem(row, 1);
    return result;
}

} // namespace

class SizeCheckTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void init()
    {
        removeAllSettings();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void aMissingFileIsReportedOnceAndTheRunGoesOn()
    {
        Window w;
        writeFile(path("one.bin"), QByteArray(1536, 'x'));
        writeFile(path("three.bin"), QByteArray());
        w.form.fileList().add(path("one.bin"));
        w.form.fileList().add(path("missing.bin"));
        w.form.fileList().add(path("three.bin"));
        radioButton(w.form, "Option2")->click();

        QList<PointerSetting> pointerDuringReport;
        w.test.dialogs.whileShown([&] { pointerDuringReport << w.form.mousePointer(); });
        clickControl(w.form, "PushButton4");

        RowList& results = w.form.resultsList();
        QCOMPARE(results.count(), 3);
        QCOMPARE(results.text(2), path("missing.bin"));
        QCOMPARE(sizes(results), QStringList({"1.5 KB", "", "0 KB"}));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(2));
        QCOMPARE(shown[0].title, QStringLiteral("Application Error"));
        QVERIFY(shown[0].text.startsWith(QStringLiteral(
            "File not found\r\nin Meterkin2021/08/31.Form1.PushButton4_Click at line 130\r\r")));
        QCOMPARE(shown[1].text, QStringLiteral("Done."));
        QCOMPARE(shown[1].icon, BoxIcon::None);
        QCOMPARE(pointerDuringReport,
                 QList<PointerSetting>({PointerSetting::Busy, PointerSetting::Default}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
        QVERIFY(!results.checked(1));
    }

    void twoRunsAppendTwiceAndAUnitChangeOnlyAffectsNewRows()
    {
        Window w;
        writeFile(path("a.bin"), QByteArray(2048, 'a'));
        w.form.fileList().add(path("a.bin"));
        w.form.fileList().add(path("a.bin"));
        clickControl(w.form, "PushButton4");
        radioButton(w.form, "Option3")->click();
        clickControl(w.form, "PushButton4");
        QCOMPARE(sizes(w.form.resultsList()),
                 QStringList({"2048 bytes", "2048 bytes", "0 MB", "0 MB"}));
        QCOMPARE(w.test.dialogs.texts(), QStringList({"Done.", "Done."}));
        QCOMPARE(w.test.settings.read("Option3", ""), QStringLiteral("True"));
        QCOMPARE(w.test.settings.read("Option1", ""), QStringLiteral("False"));
    }

    void noUnitSelectedGivesBytes()
    {
        Window w;
        writeFile(path("b.bin"), QByteArray(2000, 'b'));
        for (int option = 1; option <= 4; ++option)
            w.form.unitOptions().setSelected(option, false);
        QVERIFY(!radioButton(w.form, "Option1")->isChecked());
        w.form.fileList().add(path("b.bin"));
        clickControl(w.form, "PushButton4");
        QCOMPARE(sizes(w.form.resultsList()), QStringList({"2000 bytes"}));
    }

    void anEmptyListOnlySaysSo()
    {
        Window w;
        w.form.resultsList().add("kept");
        clickControl(w.form, "PushButton4");
        QCOMPARE(w.test.dialogs.texts(), QStringList({"No Files added."}));
        QCOMPARE(w.form.resultsList().count(), 1);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aRunDoesNotStartAgainWhileOneIsUnderWay()
    {
        Window w;
        w.form.fileList().add(path("nowhere"));
        // A click that reaches the window while the run's error report is up.
        bool reentered = false;
        w.test.dialogs.whileShown([&] {
            if (reentered) return;
            reentered = true;
            clickControl(w.form, "PushButton4");
        });
        clickControl(w.form, "PushButton4");
        QCOMPARE(w.form.resultsList().count(), 1);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2)); // the report, then "Done."
        w.test.dialogs.whileShown({});
        clickControl(w.form, "PushButton4");
        QCOMPARE(w.form.resultsList().count(), 2); // the flag was cleared
    }

    void filesOfThreeGigabytesShowTheirTrueSize()
    {
        Window w;
        const QString big = path("sparse.bin");
        const int fd = ::open(QFile::encodeName(big).constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, 3LL << 30), 0);
        ::close(fd);
        w.form.fileList().add(big);
        radioButton(w.form, "Option4")->click();
        clickControl(w.form, "PushButton4");
        radioButton(w.form, "Option1")->click();
        clickControl(w.form, "PushButton4");
        QCOMPARE(sizes(w.form.resultsList()), QStringList({"3GB", "3221225472 bytes"}));
    }

    void unreadablePathsOfEveryKindAreReported()
    {
        Window w;
        QDir().mkpath(path("folder"));
        w.form.fileList().add(QString());
        w.form.fileList().add(path("folder"));
        w.form.fileList().add(path("nowhere") + "/x.bin");
        w.form.fileList().add(QStringLiteral("bad") + QChar(u'\0') + "name");
        clickControl(w.form, "PushButton4");
        QCOMPARE(sizes(w.form.resultsList()), QStringList({"", "", "", ""}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(5));
        for (int i = 0; i < 4; ++i)
            QVERIFY(w.test.dialogs.shown()[std::size_t(i)].text.contains(
                "PushButton4_Click at line 130"));
    }
};

BYTEMARSH_TEST_MAIN(SizeCheckTest)
#include "test_size_check.moc"
