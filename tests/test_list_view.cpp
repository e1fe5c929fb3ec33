#include "base/runtime_error.h"
#include "support/test_main.h"
#include "ui/list_view.h"

#include <QHeaderView>

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
