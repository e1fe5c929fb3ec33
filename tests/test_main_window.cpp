#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include "platform/gui/qt_dialogs.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

QStringList unitKeys(SettingsStore& settings)
{
    QStringList keys;
    for (int option = 1; option <= 4; ++option)
        keys << settings.read(QStringLiteral("Option%1").arg(option), QStringLiteral("missing"));
    return keys;
}

void storeUnitKeys(SettingsStore& settings, const QStringList& values)
{
    for (int option = 1; option <= 4; ++option)
        settings.write(QStringLiteral("Option%1").arg(option), values[option - 1]);
}

QList<bool> selectedOptions(Form1& form)
{
    return {radioButton(form, "Option1")->isChecked(), radioButton(form, "Option2")->isChecked(),
            radioButton(form, "Option3")->isChecked(), radioButton(form, "Option4")->isChecked()};
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }

    void layoutMatchesTheDrawing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char* name, const char* caption, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption)
                                << QRect(l, t, w, h);
        };
        row("ListView1", "", 120, 120, 7800, 2070);
        row("PushButton5", "Add Files", 120, 2270, 3840, 405);
        row("PushButton10", "Add All Files In Folder", 4080, 2270, 3840, 405);
        row("PushButton3", "Load File List From Text File", 120, 2780, 3840, 405);
        row("PushButton7", "Help", 4080, 2780, 3840, 405);
        row("PushButton11", "Clear List", 120, 3290, 3840, 405);
        row("PushButton8", "Load Sample/Example Files", 4080, 3290, 3840, 405);
        row("PushButton1", "Remove Filenames Containing X", 120, 3800, 3840, 405);
        row("PushButton2", "Remove Filenames Not Cont. X", 4080, 3800, 3840, 405);
        row("Frame1", "Unit", 120, 4240, 7800, 735);
        row("Option1", "Bytes", 240, 300, 855, 255);
        row("Option2", "Kilobytes (Kb)", 1560, 300, 1575, 255);
        row("Option3", "Megabytes(Mb)", 3600, 300, 1695, 255);
        row("Option4", "Gigabytes (Gb)", 5760, 300, 1695, 255);
        row("PushButton4", "Start Checking", 8040, 120, 7800, 405);
        row("ListView2", "", 8040, 630, 7800, 2835);
        row("PushButton6", "Save Results As Text File", 8040, 3550, 3840, 405);
        row("PushButton12", "Save Results As Excel File", 12000, 3550, 3840, 405);
        row("PushButton18", "Copy Results To Clipboard", 8040, 4060, 3840, 405);
        row("PushButton9", "Clear List", 12000, 4060, 3840, 405);
        row("PushButton13", "Remove Results Containing X", 8040, 4570, 3840, 405);
        row("PushButton14", "Remove Results Not Cont. X", 12000, 4570, 3840, 405);
    }

    void layoutMatchesTheDrawing()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        TestPlatform test;
        Form1 form(test.platform());
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        const QRect expected(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0),
                             qRound(twips.width() / 15.0), qRound(twips.height() / 15.0));
        QCOMPARE(control->geometry(), expected);
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(button->text(), caption);
        if (auto* frame = qobject_cast<QGroupBox*>(control)) QCOMPARE(frame->title(), caption);
        if (qobject_cast<QPushButton*>(control)) {
            QCOMPARE(control->font().pointSizeF(), 11.25);
            QVERIFY(control->font().bold());
            QCOMPARE(control->palette().color(QPalette::Button), QColor(Qt::white));
        }
    }

    void windowAndListsAsFirstShown()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        QCOMPARE(form.size(), QSize(1064, 339));
        QCOMPARE(form.windowTitle(), QStringLiteral("Bytemarsh"));
        QCOMPARE(form.font().pointSizeF(), 9.0);
        QVERIFY(form.font().bold());
        QVERIFY(QFontInfo(form.font()).family().contains("Arial") ||
                QFontInfo(form.font()).family().contains("Liberation Sans"));
        QCOMPARE(selectedOptions(form), QList<bool>({true, false, false, false}));

        QCOMPARE(form.fileList().columnCount(), 1);
        QCOMPARE(form.fileList().columnHeader(1), QStringLiteral("File(s)"));
        QCOMPARE(listWidget(form, "ListView1")->columnWidth(0), 467);
        QCOMPARE(form.resultsList().columnHeader(1), QStringLiteral("Filename"));
        QCOMPARE(form.resultsList().columnHeader(2), QStringLiteral("File Size"));
        QCOMPARE(listWidget(form, "ListView2")->columnWidth(0), 367);
        QCOMPARE(listWidget(form, "ListView2")->columnWidth(1), 120);

        QCOMPARE(listWidget(form, "ListView1")->toolTip().size(), 118);
        QVERIFY(listWidget(form, "ListView2")->toolTip().isEmpty());
        QVERIFY(listWidget(form, "ListView1")->acceptDrops());
        QVERIFY(!listWidget(form, "ListView2")->acceptDrops());

        // Results rows carry check boxes the user ticks; file rows do not.
        form.resultsList().add("r");
        form.fileList().add("f");
        QCoreApplication::processEvents();
        const QModelIndex result = form.resultsList().model().index(0, 0);
        QVERIFY(result.flags() & Qt::ItemIsUserCheckable);
        QCOMPARE(result.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(form.resultsList().model().setData(result, Qt::Checked, Qt::CheckStateRole));
        QVERIFY(form.resultsList().checked(1));
        QVERIFY(!(form.fileList().model().index(0, 0).flags() & Qt::ItemIsUserCheckable));
    }

    void tabOrderFollowsTheDrawing()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        const QStringList expected = {"ListView1",    "PushButton5", "PushButton3", "PushButton11",
                                      "PushButton6",  "PushButton9", "PushButton4", "PushButton8",
                                      "ListView2",    "PushButton7", "Option1",     "PushButton12",
                                      "PushButton18", "PushButton1", "PushButton2", "PushButton10",
                                      "PushButton13", "PushButton14"};
        form.activateWindow();
        listWidget(form, "ListView1")->setFocus();
        QStringList order;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, expected);
    }

    void firstStartStoresBytes()
    {
        TestPlatform test;
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(unitKeys(test.settings), QStringList({"True", "False", "False", "False"}));
        QCOMPARE(test.settings.read("Extension", "missing"), QStringLiteral("missing"));
        QCOMPARE(test.settings.read("LastFolder", "missing"), QStringLiteral("missing"));
        QVERIFY(test.dialogs.shown().empty());
    }

    void storedUnitIsRestoredAndWrittenAgain()
    {
        TestPlatform test;
        storeUnitKeys(test.settings, {"False", "false", "TRUE", "0"});
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(selectedOptions(form), QList<bool>({false, false, true, false}));
        QCOMPARE(unitKeys(test.settings), QStringList({"False", "False", "True", "False"}));
    }

    void allFalseOpensWithNoneSelected()
    {
        TestPlatform test;
        storeUnitKeys(test.settings, {"False", "False", "False", "False"});
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(selectedOptions(form), QList<bool>({false, false, false, false}));
    }

    void anUnreadableUnitKeyIsReportedAndStartUpGoesOn()
    {
        TestPlatform test;
        storeUnitKeys(test.settings, {"False", "False", "maybe", "True"});
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(test.dialogs.shown().size(), std::size_t(1));
        QVERIFY(test.dialogs.shown()[0].text.startsWith(
            "Type mismatch\r\nin Meterkin2021/08/31.Form1.Form_Load at line 144\r\r"));
        QCOMPARE(selectedOptions(form), QList<bool>({false, false, false, true}));
        QCOMPARE(unitKeys(test.settings), QStringList({"False", "False", "False", "True"}));
    }

    void closingEndsTheProgramEvenMidCommand()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        int ended = 0;
        form.setCloseAction([&] { ++ended; });
        // A folder scan that lets events through: the close arrives while it is busy.
        form.setMousePointer(PointerSetting::Busy);
        QVERIFY(form.close());
        QCOMPARE(ended, 1);
    }

    void clickingAnOptionWritesAllFourKeys()
    {
        TestPlatform test;
        Form1 form(test.platform());
        form.Form_Load();
        radioButton(form, "Option2")->click();
        QCOMPARE(unitKeys(test.settings), QStringList({"False", "True", "False", "False"}));
        radioButton(form, "Option2")->click(); // clicking the selected one writes again, unchanged
        QCOMPARE(unitKeys(test.settings), QStringList({"False", "True", "False", "False"}));
    }
};

BYTEMARSH_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
