#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <cmath>
#include <functional>

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Desktop colour schemes as a platform theme hands them over: the roles that matter here.
QPalette scheme(QRgb window, QRgb windowText, QRgb base, QRgb text, QRgb button, QRgb buttonText,
                QRgb highlight, QRgb highlightedText)
{
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, windowText);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, buttonText);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, highlightedText);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, text);
    palette.setColor(QPalette::BrightText, windowText);
    palette.setColor(QPalette::Light, QColor(button).lighter(150));
    palette.setColor(QPalette::Midlight, QColor(button).lighter(125));
    palette.setColor(QPalette::Mid, QColor(button).darker(130));
    palette.setColor(QPalette::Dark, QColor(button).darker(160));
    palette.setColor(QPalette::Shadow, Qt::black);
    return palette;
}

QPalette lightScheme()
{
    return scheme(0xfff6f5f4, 0xff2e3436, 0xffffffff, 0xff2e3436, 0xffededed, 0xff2e3436,
                  0xff3584e4, 0xffffffff);
}

QPalette darkScheme()
{
    return scheme(0xff353535, 0xffeeeeec, 0xff2d2d2d, 0xffeeeeec, 0xff353535, 0xffeeeeec,
                  0xff15539e, 0xffffffff);
}

// White on black, the stricter of the high-contrast schemes for a window that forces white.
QPalette highContrastScheme()
{
    return scheme(0xff000000, 0xffffffff, 0xff000000, 0xffffffff, 0xff000000, 0xffffffff,
                  0xff1aebff, 0xff000000);
}

struct Measure
{
    QString control;
    double ratio = 0;
    int textPixels = 0;
};

// The text of one control is what changes on screen when its text goes: the background is
// what stays there, the text colour the changed pixel that stands out most against it.
Measure measureText(QWidget& window, const QString& control, QWidget* area,
                    const std::function<void(bool shown)>& showText)
{
    const QRect rect(area->mapTo(&window, QPoint(0, 0)), area->size());
    // Views lay out their rows later; let them before each picture.
    const auto settle = [] { QCoreApplication::processEvents(); };
    showText(true);
    settle();
    const QImage with = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    showText(false);
    settle();
    const QImage without = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    showText(true);

    QHash<QRgb, int> backgrounds;
    QList<QPoint> changed;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                changed << QPoint(x, y);
                ++backgrounds[without.pixel(x, y)];
            }
    Measure measure{control, 0, int(changed.size())};
    if (changed.isEmpty()) return measure;
    QRgb background = backgrounds.begin().key();
    for (auto it = backgrounds.begin(); it != backgrounds.end(); ++it)
        if (it.value() > backgrounds[background]) background = it.key();
    for (const QPoint& point : changed)
        measure.ratio = std::max(measure.ratio, contrast(with.pixel(point), background));
    return measure;
}

// Every button, option, the frame's caption, both lists' rows and both lists' headers.
QList<Measure> measureWindow(Form1& form)
{
    QList<Measure> measures;
    for (QPushButton* button : form.findChildren<QPushButton*>()) {
        const QString caption = button->text();
        measures << measureText(form, button->objectName(), button,
                                [&](bool shown) { button->setText(shown ? caption : QString()); });
    }
    for (QRadioButton* option : form.findChildren<QRadioButton*>()) {
        const QString caption = option->text();
        measures << measureText(form, option->objectName(), option,
                                [&](bool shown) { option->setText(shown ? caption : QString()); });
    }
    const QString title = groupBox(form, "Frame1")->title();
    measures << measureText(
        form, QStringLiteral("Frame1"), groupBox(form, "Frame1"),
        [&](bool shown) { groupBox(form, "Frame1")->setTitle(shown ? title : QString()); });

    const std::pair<const char*, ListViewWidget*> lists[] = {
        {"ListView1", listWidget(form, "ListView1")}, {"ListView2", listWidget(form, "ListView2")}};
    for (const auto& [name, widget] : lists) {
        RowList& list =
            widget == listWidget(form, "ListView1") ? form.fileList() : form.resultsList();
        measures << measureText(form, QStringLiteral("%1 rows").arg(name), widget->viewport(),
                                [&](bool shown) {
                                    list.clear();
                                    if (shown) {
                                        list.add(QStringLiteral("/home/Wgjy/Reed Bed 0123.txt"));
                                        if (&list == &form.resultsList())
                                            list.setSubItem(1, 1, QStringLiteral("12.34 KB"));
                                    }
                                });
        QHeaderView* header = widget->header();
        QAbstractItemModel* model = header->model();
        QStandardItemModel blank(0, header->count());
        blank.setHorizontalHeaderLabels(QStringList(header->count(), QString()));
        QList<int> sizes;
        for (int section = 0; section < header->count(); ++section)
            sizes << header->sectionSize(section);
        measures << measureText(form, QStringLiteral("%1 header").arg(name), header,
                                [&](bool shown) {
                                    header->setModel(shown ? model : &blank);
                                    for (int section = 0; section < sizes.size(); ++section)
                                        header->resizeSection(section, sizes[section]);
                                });
    }
    return measures;
}

} // namespace

class ColourSchemesTest : public QObject
{
    Q_OBJECT

    QPalette original_;

private slots:
    void initTestCase()
    {
        original_ = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    void init() { removeAllSettings(); }
    void cleanup()
    {
        qApp->setStyleSheet(QString());
        QApplication::setPalette(original_);
    }

    void everyTextStandsOutFromItsBackground_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("skin");
        for (const bool skin : {false, true}) {
            const char* look = skin ? "skin" : "plain";
            QTest::addRow("light, %s", look) << lightScheme() << skin;
            QTest::addRow("dark, %s", look) << darkScheme() << skin;
            QTest::addRow("high contrast, %s", look) << highContrastScheme() << skin;
        }
    }

    void everyTextStandsOutFromItsBackground()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, skin);
        QApplication::setPalette(palette);
        TestPlatform test;
        if (skin) {
            QDir().mkpath(test.programFolder() + QStringLiteral("/x"));
            QVERIFY(QFile::copy(QStringLiteral(BYTEMARSH_SOURCE_DIR "/resources/skins/o.cjs"),
                                test.programFolder() + QStringLiteral("/x/o.cjs")));
        }
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        QCOMPARE(form.SkinFramework1.loaded(), skin);

        const QList<Measure> measures = measureWindow(form);
        QCOMPARE(measures.size(), 15 + 4 + 1 + 4);
        QStringList faults;
        for (const Measure& measure : measures) {
            if (measure.textPixels == 0)
                faults << measure.control + QStringLiteral(": no text drawn");
            else if (measure.ratio < 4.5)
                faults << QStringLiteral("%1: %2:1")
                              .arg(measure.control)
                              .arg(measure.ratio, 0, 'f', 2);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    }

    void theListsFollowASchemeChangedWhileTheWindowIsOpen()
    {
        QApplication::setPalette(lightScheme());
        TestPlatform test;
        Form1 form(test.platform());
        QVERIFY(loadAndShow(form));
        QApplication::setPalette(darkScheme());
        QCoreApplication::processEvents();
        const QColor darkBase = darkScheme().color(QPalette::Base);
        QCOMPARE(listWidget(form, "ListView1")->viewport()->palette().color(QPalette::Base),
                 darkBase);
        QCOMPARE(listWidget(form, "ListView2")->header()->palette().color(QPalette::Button),
                 darkScheme().color(QPalette::Button));
        // The fixed white stays, with its dark text.
        QCOMPARE(pushButton(form, "PushButton4")->palette().color(QPalette::Button),
                 QColor(Qt::white));
        for (const Measure& measure : measureWindow(form))
            QVERIFY2(measure.ratio >= 4.5, qPrintable(measure.control));
    }
};

BYTEMARSH_TEST_MAIN(ColourSchemesTest)
#include "test_colour_schemes.moc"
