#include "base/runtime_error.h"
#include "support/test_main.h"
#include "ui/list_view.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

// The row list on screen: hit-testing, and a selection made on either side shows on the other.
class ListViewTest : public QObject
{
    Q_OBJECT

private slots:
    void hitTestAndSelection()
    {
        ListViewWidget widget;
        widget.resize(300, 200);
        RowList rows(1, false);
        ListView list(&widget, rows);
        rows.addColumn("File(s)");
        for (const char* text : {"a", "b", "c"})
            rows.add(text);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        const QRect second = widget.visualRect(rows.model().index(1, 0));
        QCOMPARE(list.hitTest(second.center()), 2);
        QCOMPARE(list.hitTest(QPoint(5, 190)), 0);
        QCOMPARE(rows.selectedRow(), 0);
        rows.select(3);
        QCOMPARE(rows.selectedRow(), 3);
        QVERIFY(widget.selectionModel()->isRowSelected(2, {}));

        QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(rows.selectedRow(), 2);
    }

    // The keys move between rows as a list's do: Home and End to the first and last row, Left
    // and Right scroll and never move to another column. Every row is as high as the first
    // needs, its tick included.
    void theKeysMoveBetweenRowsOfOneHeight()
    {
        ListViewWidget widget;
        widget.resize(200, 120);
        RowList rows(2, true);
        ListView list(&widget, rows);
        rows.addColumn("Filename");
        rows.addColumn("File Size");
        for (int i = 1; i <= 50; ++i)
            rows.setSubItem(rows.add(QStringLiteral("/data/file %1 of a long name").arg(i)), 1,
                            QStringLiteral("1 KB"));
        list.setColumnWidth(1, 5500);
        list.setColumnWidth(2, 1800);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        widget.setFocus();
        widget.setCurrentIndex(rows.model().index(9, 0));

        QTest::keyClick(&widget, Qt::Key_End);
        QCOMPARE(widget.currentIndex().row(), 49);
        QTest::keyClick(&widget, Qt::Key_Home);
        QCOMPARE(widget.currentIndex().row(), 0);
        QTest::keyClick(&widget, Qt::Key_Right);
        QCOMPARE(widget.currentIndex(), rows.model().index(0, 0));
        QVERIFY(widget.horizontalScrollBar()->value() > 0);
        QTest::keyClick(&widget, Qt::Key_Left);
        QCOMPARE(widget.horizontalScrollBar()->value(), 0);
        QCOMPARE(rows.selectedRow(), 1);

        QVERIFY(widget.rowHeight(0) >= widget.fontMetrics().height());
        QVERIFY(widget.rowHeight(0) >= widget.style()->pixelMetric(QStyle::PM_IndicatorHeight));
        QCOMPARE(widget.rowHeight(49), widget.rowHeight(0));
    }

    void columnWidthsAreGivenInTwips()
    {
        ListViewWidget widget;
        RowList rows(2, true);
        ListView list(&widget, rows);
        rows.addColumn("Filename");
        rows.addColumn("File Size");
        list.setColumnWidth(1, 5500);
        list.setColumnWidth(2, 1800);
        QCOMPARE(widget.header()->sectionSize(0), 367);
        QCOMPARE(widget.header()->sectionSize(1), 120);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.setColumnWidth(3, 100));
    }
};

BYTEMARSH_TEST_MAIN(ListViewTest)
#include "test_list_view.moc"
