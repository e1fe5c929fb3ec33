#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

// What a person reads on the window and what a screen reader says about it.
class WindowTextTest : public QObject
{
    Q_OBJECT

private slots:
    // Measured in the fonts this machine resolves the layout's Arial to: the whole caption must
    // fit the area the style leaves for text, or its ends are cut off. Run by the package test
    // with only the fonts the package brings, and without them.
    void everyCaptionFitsItsControl()
    {
        LoadedWindow window;
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));

        QStringList clipped;
        int measured = 0;
        for (QAbstractButton* control : window.form.findChildren<QAbstractButton*>()) {
            // A list's own corner button has no caption.
            if (qobject_cast<QAbstractItemView*>(control->parentWidget())) continue;
            const bool radio = qobject_cast<QRadioButton*>(control);
            QStyleOptionButton option;
            option.initFrom(control);
            option.text = control->text();
            const QRect area = control->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option,
                control);
            const QFontMetrics metrics = control->fontMetrics();
            const int width = metrics.horizontalAdvance(control->text());
            ++measured;
            if (width > area.width() || metrics.height() > area.height()) {
                const QFontInfo font(control->font());
                clipped << QStringLiteral("\"%1\" needs %2 x %3 px, its control shows %4 x %5 px "
                                          "(font %6 %7 px)")
                               .arg(control->text())
                               .arg(width)
                               .arg(metrics.height())
                               .arg(area.width())
                               .arg(area.height())
                               .arg(font.family())
                               .arg(font.pixelSize());
            }
        }
        QCOMPARE(measured, 15 + 4); // the buttons and the unit options
        QVERIFY2(clipped.isEmpty(),
                 qPrintable(QStringLiteral("cut off: ") + clipped.join(QStringLiteral("; "))));
    }

    // A screen reader names each list after its caption, not only "tree".
    void theListsHaveNames()
    {
        LoadedWindow window;
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));

        const auto nameOf = [](QWidget* widget) {
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(widget);
            return list ? list->text(QAccessible::Name) : QString();
        };
        QCOMPARE(nameOf(listWidget(window.form, "ListView1")), QStringLiteral("File list"));
        QCOMPARE(nameOf(listWidget(window.form, "ListView2")), QStringLiteral("Results"));

        // And so the window's own accessible tree presents them.
        QAccessibleInterface* form = QAccessible::queryAccessibleInterface(&window.form);
        QVERIFY(form);
        QMap<QString, QAccessible::Role> lists;
        for (int i = 0; i < form->childCount(); ++i) {
            QAccessibleInterface* child = form->child(i);
            if (child &&
                (child->role() == QAccessible::Tree || child->role() == QAccessible::Table))
                lists.insert(child->text(QAccessible::Name), child->role());
        }
        QCOMPARE(lists.keys(),
                 (QStringList{QStringLiteral("File list"), QStringLiteral("Results")}));
    }
};

BYTEMARSH_TEST_MAIN(WindowTextTest)
#include "test_window_text.moc"
