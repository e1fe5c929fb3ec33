#include "base/runtime_error.h"
#include "doubles/test_platform.h"
#include "platform/gui/cursor_file.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/application_title.h"
#include "ui/form1.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QImageReader>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtEndian>

namespace {

const QString kResources = QStringLiteral(BYTEMARSH_SOURCE_DIR "/resources");
const QString kIcons = QStringLiteral(BYTEMARSH_SOURCE_DIR "/icons");

QColor background(QWidget* widget)
{
    return widget->palette().color(QPalette::Window);
}

QList<QPushButton*> allButtons(Form1& form)
{
    return {pushButton(form, "PushButton1"),  pushButton(form, "PushButton2"),
            pushButton(form, "PushButton3"),  pushButton(form, "PushButton4"),
            pushButton(form, "PushButton5"),  pushButton(form, "PushButton6"),
            pushButton(form, "PushButton7"),  pushButton(form, "PushButton8"),
            pushButton(form, "PushButton9"),  pushButton(form, "PushButton10"),
            pushButton(form, "PushButton11"), pushButton(form, "PushButton12"),
            pushButton(form, "PushButton13"), pushButton(form, "PushButton14"),
            pushButton(form, "PushButton18")};
}

// Where a user keeps a skin of their own: beside the settings.
QString userSkinFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Quillory/Bytemarsh.cjs");
}

void moveOver(QWidget* widget, QPoint at = {-1, -1})
{
    QTest::mouseMove(widget, at == QPoint(-1, -1) ? widget->rect().center() : at);
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }
    void cleanup()
    {
        qApp->setStyleSheet(QString());
        QFile::remove(userSkinFile());
        QDir().rmdir(userSkinFile());
    }

    void withoutASkinFileTheLookStays()
    {
        TestPlatform test;
        QDir().mkpath(test.programFolder() + "/x/o.cjs"); // a folder is no skin file
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(background(&form), QColor(Qt::white));
        QCOMPARE(background(groupBox(form, "Frame1")), QColor(Qt::white));
        QCOMPARE(background(radioButton(form, "Option3")), QColor(Qt::white));
        QVERIFY(!form.SkinFramework1.loaded());
        QCOMPARE(form.SkinFramework1.applications(), 0);
        QVERIFY(qApp->styleSheet().isEmpty() && form.styleSheet().isEmpty());
        QVERIFY(test.dialogs.shown().empty());
    }

    void aSkinFileColoursTheWindowAndIsAppliedOnce()
    {
        TestPlatform test;
        const QByteArray sheet = "QPushButton { color: #204060; padding: 2px; }\n";
        writeFile(test.programFolder() + "/x/o.cjs", sheet);
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        Form1 form(test.platform());
        form.Form_Load();
        QVERIFY(test.dialogs.shown().empty());
        for (QWidget* control :
             QList<QWidget*>{&form, groupBox(form, "Frame1"), radioButton(form, "Option1"),
                             radioButton(form, "Option2"), radioButton(form, "Option3"),
                             radioButton(form, "Option4")})
            QCOMPARE(background(control), buttonFace);
        // Buttons and lists are no option, check box, frame or label.
        QCOMPARE(pushButton(form, "PushButton4")->palette().color(QPalette::Button),
                 QColor(Qt::white));
        QCOMPARE(form.SkinFramework1.applications(), 1);
        QCOMPARE(qApp->styleSheet(), QString::fromUtf8(sheet));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(pushButton(form, "PushButton4")->palette().color(QPalette::ButtonText),
                 QColor("#204060"));
    }

    void aUsersOwnSkinComesFromTheirConfigurationFolder()
    {
        const QByteArray programSkin = "QPushButton { color: #204060; }\n";
        const QByteArray userSkin = "QPushButton { color: #602040; }\n";
        {
            // Alone.
            TestPlatform test;
            writeFile(userSkinFile(), userSkin);
            Form1 form(test.platform());
            form.Form_Load();
            QVERIFY(test.dialogs.shown().empty());
            QCOMPARE(form.SkinFramework1.applications(), 1);
            QCOMPARE(qApp->styleSheet(), QString::fromUtf8(userSkin));
            QCOMPARE(background(radioButton(form, "Option2")),
                     QApplication::palette().color(QPalette::Button));
        }
        {
            // Beside the program folder's: the user's wins.
            TestPlatform test;
            writeFile(test.programFolder() + "/x/o.cjs", programSkin);
            Form1 form(test.platform());
            form.Form_Load();
            QCOMPARE(qApp->styleSheet(), QString::fromUtf8(userSkin));
            QCOMPARE(form.SkinFramework1.applications(), 1);
        }
        {
            // A folder by that name is no skin: the program folder's applies.
            QVERIFY(QFile::remove(userSkinFile()));
            QVERIFY(QDir().mkpath(userSkinFile()));
            TestPlatform test;
            writeFile(test.programFolder() + "/x/o.cjs", programSkin);
            Form1 form(test.platform());
            form.Form_Load();
            QVERIFY(test.dialogs.shown().empty());
            QCOMPARE(qApp->styleSheet(), QString::fromUtf8(programSkin));
        }
    }

    void theSkinSwitchesChooseWhichRulesCount()
    {
        TestPlatform test;
        const QString path = writeFile(test.programFolder() + "/skin.qss",
                                       "/* a note */ QPushButton { color: red; padding: 3px; "
                                       "background-color: white; font-size: 9pt }");
        writeFile(test.programFolder() + "/dark.qss", "QLabel { color: black; }");
        SkinFramework skin;
        QWidget window;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, skin.ApplyWindow(&window)); // nothing loaded
        skin.LoadSkin(path, "dark.qss");
        skin.SetApplyMetrics(true);
        QCOMPARE(skin.effectiveStyleSheet(), QStringLiteral("QPushButton { padding: 3px; "
                                                            "font-size: 9pt }\nQLabel {  }\n"));
        skin.SetApplyMetrics(false);
        skin.SetApplyColors(true);
        QCOMPARE(skin.effectiveStyleSheet(),
                 QStringLiteral("QPushButton { color: red; background-color: white }\n"
                                "QLabel { color: black }\n"));
        skin.ApplyWindow(&window); // without the dialogs option: this window only
        QVERIFY(window.styleSheet().contains("color: red"));
        QVERIFY(qApp->styleSheet().isEmpty());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, skin.LoadSkin(path + ".missing", QString()));
    }

    void theShippedSkinParsesCleanly()
    {
        TestPlatform test;
        QVERIFY(
            QFile::copy(kResources + "/skins/o.cjs", (QDir().mkpath(test.programFolder() + "/x"),
                                                      test.programFolder() + "/x/o.cjs")));
        QTest::failOnWarning(QRegularExpression(".*"));
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        QVERIFY(!form.grab().isNull());
        QCOMPARE(form.SkinFramework1.applications(), 1);
        // The skin leaves the layout's fonts alone.
        QCOMPARE(pushButton(form, "PushButton4")->font().pointSizeF(), 11.25);
        QCOMPARE(radioButton(form, "Option1")->font().pointSizeF(), 9.0);
        QVERIFY(test.dialogs.shown().empty());
    }

    void theHandPointerComesFromItsFile()
    {
        TestPlatform test;
        const QString cursorFile = test.programFolder() + "/HAND-M.CUR";
        QVERIFY(QFile::copy(kResources + "/HAND-M.CUR", cursorFile));
        QFile file(cursorFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 2), quint16(2)); // a cursor
        const QPoint hotspot(qFromLittleEndian<quint16>(bytes.constData() + 10),
                             qFromLittleEndian<quint16>(bytes.constData() + 12));

        Form1 form(test.platform());
        form.Form_Load();
        QVERIFY(test.dialogs.shown().empty());
        form.setMousePointer(PointerSetting::Custom);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.cursor().hotSpot(), hotspot);
        QCOMPARE(form.cursor().pixmap().size(), QSize(32, 32));
        // The hotspot is the fingertip: the outline's first dark pixel from the top.
        const QImage image = form.cursor().pixmap().toImage();
        QCOMPARE(qAlpha(image.pixel(hotspot)), 255);
        for (int y = 0; y < hotspot.y(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
        form.setMousePointer(PointerSetting::Busy);
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
        form.setMousePointer(PointerSetting::Default);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }

    void theDragIconIsAnIconOfItsOwn()
    {
        QImageReader reader(kResources + "/drag.ico");
        QCOMPARE(reader.format(), QByteArray("ico"));
        QCOMPARE(reader.read().size(), QSize(32, 32));
        // An icon used as a pointer points with its centre.
        const QCursor pointer = loadCursorFile(kResources + "/drag.ico");
        QCOMPARE(pointer.hotSpot(), QPoint(16, 16));
        QCOMPARE(pointer.pixmap().size(), QSize(32, 32));
    }

    void withoutACursorFileTheButtonsStillAskForTheHand()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        moveOver(pushButton(form, "PushButton5"));
        QCOMPARE(form.mousePointer(), PointerSetting::Custom);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(test.dialogs.shown().empty());
    }

    void anUnreadableCursorIsReportedAndLoadingGoesOn()
    {
        TestPlatform test;
        writeFile(test.programFolder() + "/HAND-M.CUR", "not a picture at all");
        test.random.value = 0.06;
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(test.dialogs.texts().size(), 1);
        QVERIFY(test.dialogs.texts()[0].startsWith(
            "Invalid picture\r\nin Meterkin2021/08/31.Form1.Form_Load at line 106\r\r"));
        QCOMPARE(test.shell.urls.size(), 1); // line 108 ran
        QCOMPARE(form.windowTitle(), QStringLiteral("Bytemarsh"));
        QCOMPARE(form.resultsList().columnCount(), 2);
    }

    void theHomePageOpensOnADrawOfSeven_data()
    {
        QTest::addColumn<double>("draw");
        QTest::addColumn<bool>("opens");
        QTest::newRow("0.0 is 1") << 0.0 << false;
        QTest::newRow("0.0599 is 6") << 0.0599 << false;
        QTest::newRow("0.06 is 7") << 0.06 << true;
        QTest::newRow("0.0699 is 7") << 0.0699 << true;
        QTest::newRow("0.07 is 8") << 0.07 << false;
        QTest::newRow("0.9999 is 100") << 0.9999 << false;
    }

    void theHomePageOpensOnADrawOfSeven()
    {
        QFETCH(double, draw);
        QFETCH(bool, opens);
        TestPlatform test;
        test.random.value = draw;
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(test.random.seeds, 1);
        QCOMPARE(test.shell.urls,
                 opens ? QStringList{"https://quillory.org/bytemarsh/"} : QStringList());
        QVERIFY(test.shell.folders.isEmpty());
    }

    void theApplicationTitleDropsTheLastWords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("no blank") << "Bytemarsh"
                                  << "Bytemarsh";
        QTest::newRow("two words") << "Quillory Bytemarsh"
                                   << "Quillory";
        QTest::newRow("short") << "Quillory Bytemarsh Size Checker"
                               << "Quillory Bytemarsh Size";
        QTest::newRow("trailing blank") << "Bytemarsh "
                                        << "Bytemarsh";
        QTest::newRow("long") << "Quillory Bytemarsh File Size Checker For Many Many Files At Once"
                              << "Quillory Bytemarsh File Size Checker For";
        QTest::newRow("one long word") << QString(45, u'x') + " y" << QString(40, u'x');
    }

    void theApplicationTitleDropsTheLastWords()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitleFor(name), title);
    }

    void startUpSetsCaptionIconAndTitle()
    {
        TestPlatform test;
        test.dialogs.setApplicationTitle("something else");
        Form1 form(test.platform());
        form.Form_Load();
        QCOMPARE(form.windowTitle(), QStringLiteral("Bytemarsh"));
        QCOMPARE(test.dialogs.applicationTitle(), QStringLiteral("Bytemarsh"));
        const QList<QSize> sizes = form.windowIcon().availableSizes();
        for (const QSize size : {QSize(32, 32), QSize(48, 48), QSize(128, 128), QSize(256, 256)})
            QVERIFY2(sizes.contains(size), qPrintable(QString::number(size.width())));
        QVERIFY(test.dialogs.shown().empty());
    }

    void theProgramIconHasItsFourImages()
    {
        QImageReader reader(kIcons + "/bytemarsh.ico");
        QCOMPARE(reader.imageCount(), 4);
        QFile file(kIcons + "/bytemarsh.ico");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QList<QPair<int, int>> entries; // size, bits per pixel
        for (int i = 0; i < 4; ++i) {
            const char* entry = bytes.constData() + 6 + 16 * i;
            const int size = quint8(entry[0]) ? quint8(entry[0]) : 256;
            entries << qMakePair(size, int(qFromLittleEndian<quint16>(entry + 6)));
        }
        QCOMPARE(entries, (QList<QPair<int, int>>{{32, 24}, {48, 32}, {128, 32}, {256, 32}}));
        for (int size : {32, 48, 128, 256}) {
            const QImage png(kIcons + QStringLiteral("/bytemarsh-%1.png").arg(size));
            QCOMPARE(png.size(), QSize(size, size));
            QVERIFY(png.hasAlphaChannel());
        }
    }

    void helpNamesTheContactPage()
    {
        TestPlatform test;
        Form1 form(test.platform());
        form.Form_Load();
        pushButton(form, "PushButton7")->click();
        QCOMPARE(test.dialogs.shown().size(), std::size_t(1));
        const auto& box = test.dialogs.shown()[0];
        QCOMPARE(box.text, QStringLiteral("Questions? Please contact Team Quillory at "
                                          "https://quillory.org/bytemarsh/contact/"));
        QCOMPARE(box.title, QStringLiteral("Bytemarsh"));
        QCOMPARE(box.icon, BoxIcon::None);
        QCOMPARE(box.buttons, BoxButtons::Ok);
        QVERIFY(test.shell.urls.isEmpty() && test.shell.folders.isEmpty());
    }

    void pointerRulesOverTheWindow()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        const QPoint gapBetweenHalves(532, 200);
        const QPoint frameOwnSurface(groupBox(form, "Frame1")->width() - 8,
                                     groupBox(form, "Frame1")->height() - 8);
        QVERIFY(!form.childAt(gapBetweenHalves));
        QVERIFY(!groupBox(form, "Frame1")->childAt(frameOwnSurface));

        for (QPushButton* button : allButtons(form)) {
            moveOver(&form, gapBetweenHalves);
            QCOMPARE(form.mousePointer(), PointerSetting::Default);
            moveOver(button);
            QVERIFY2(form.mousePointer() == PointerSetting::Custom,
                     qPrintable(button->objectName()));
        }
        // The hand stays until an area that resets it is crossed.
        moveOver(radioButton(form, "Option2"));
        QCOMPARE(form.mousePointer(), PointerSetting::Custom);
        moveOver(listWidget(form, "ListView1")->viewport()); // the file list has its own reset
        QCOMPARE(form.mousePointer(), PointerSetting::Default);
        moveOver(pushButton(form, "PushButton4"));
        moveOver(groupBox(form, "Frame1"), frameOwnSurface);
        QCOMPARE(form.mousePointer(), PointerSetting::Default);
        moveOver(pushButton(form, "PushButton4"));
        moveOver(listWidget(form, "ListView2")->viewport());
        QCOMPARE(form.mousePointer(), PointerSetting::Default);
        moveOver(pushButton(form, "PushButton4"));
        moveOver(listWidget(form, "ListView2")->header()->viewport());
        QCOMPARE(form.mousePointer(), PointerSetting::Default);
    }

    void theBusyPointerSurvivesEveryMove()
    {
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        form.setMousePointer(PointerSetting::Busy);
        for (QPushButton* button : allButtons(form))
            moveOver(button);
        moveOver(&form, QPoint(532, 200));
        moveOver(groupBox(form, "Frame1"), QPoint(groupBox(form, "Frame1")->width() - 8,
                                                  groupBox(form, "Frame1")->height() - 8));
        moveOver(listWidget(form, "ListView2")->viewport());
        QCOMPARE(form.mousePointer(), PointerSetting::Busy);
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }
};

BYTEMARSH_TEST_MAIN(StartupTest)
#include "test_startup.moc"
