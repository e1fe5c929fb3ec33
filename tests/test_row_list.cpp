#include "base/runtime_error.h"
#include "lists/row_list.h"
#include "support/test_main.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <algorithm>
#include <memory>
#include <numeric>

namespace {

QStringList texts(const RowList& list)
{
    QStringList result;
    for (int row = 1; row <= list.count(); ++row)
        result << list.text(row);
    return result;
}

} // namespace

// The rows as the commands see them: no widget, no window system.
class RowListTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreOneBasedWithSubItemsAndTicks()
    {
        RowList list(2, true);
        list.addColumn("Filename");
        list.addColumn("File Size");
        QCOMPARE(list.add("/a/ä.txt"), 1);
        QCOMPARE(list.add(""), 2);
        list.setSubItem(1, 1, "5 bytes");
        list.setChecked(2, true);

        QCOMPARE(list.count(), 2);
        QCOMPARE(list.text(1), QStringLiteral("/a/ä.txt"));
        QCOMPARE(list.text(2), QString());
        QCOMPARE(list.subItem(1, 1), QStringLiteral("5 bytes"));
        QCOMPARE(list.subItem(2, 1), QString());
        QVERIFY(!list.checked(1));
        QVERIFY(list.checked(2));
        QCOMPARE(list.columnHeader(2), QStringLiteral("File Size"));
        QCOMPARE(list.textUtf8(1).data()[list.textUtf8(1).size()], '\0');
    }

    void rowsOutOfRangeRaiseTheControlsError()
    {
        RowList list(1, false);
        list.add("x");
        for (int row : {0, 2, -1}) {
            try {
                list.text(row);
                QFAIL("no error");
            } catch (const RuntimeError& error) {
                QCOMPARE(error.number(), 35600);
            }
        }
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.remove(2));
        QCOMPARE(list.count(), 1);
    }

    void appendsReachTheViewInOneBatch()
    {
        RowList list(1, false);
        list.addColumn("File(s)");
        QSignalSpy inserted(&list.model(), &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 1000; ++i)
            list.add(QString::number(i));
        QCOMPARE(list.count(), 1000);
        QCOMPARE(list.model().rowCount(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(list.model().rowCount(), 1000);
        QCOMPARE(list.model().index(999, 0).data().toString(), QStringLiteral("999"));
    }

    void removingManyRowsKeepsTheOthersInOrder()
    {
        RowList list(2, true);
        list.addColumn("Filename");
        QStringList expected;
        std::vector<int> doomed;
        for (int row = 1; row <= 1000; ++row) {
            list.add(QString::number(row));
            list.setSubItem(row, 1, QStringLiteral("s%1").arg(row));
            list.setChecked(row, row % 3 == 0);
            if (row % 2 == 0)
                doomed.push_back(row);
            else
                expected << QString::number(row);
        }
        list.select(501);
        std::reverse(doomed.begin(), doomed.end()); // any order is accepted
        list.removeRows(doomed);

        QCOMPARE(texts(list), expected);
        QCOMPARE(list.subItem(2, 1), QStringLiteral("s3"));
        QVERIFY(list.checked(2));
        QVERIFY(!list.checked(1));
        QCOMPARE(list.model().rowCount(), 500);
        QCOMPARE(list.selectedRow(), 251); // row 501 survived and is still selected
    }

    void aFewRemovalsKeepSelection()
    {
        RowList list(1, false);
        list.addColumn("File(s)");
        for (const char* text : {"a", "b", "c", "d"})
            list.add(text);
        list.select(4);
        list.removeRows({1, 2});
        QCOMPARE(texts(list), QStringList({"c", "d"}));
        QCOMPARE(list.selectedRow(), 2);
        list.remove(2);
        QCOMPARE(texts(list), QStringList({"c"}));
        list.clear();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.model().rowCount(), 0);
    }

    void replacedTextsAreReclaimed()
    {
        // Long texts replaced and removed many times must not grow the store without bound.
        RowList list(1, false);
        const QString longText(4000, u'x');
        for (int round = 0; round < 50; ++round) {
            for (int i = 0; i < 200; ++i)
                list.add(longText);
            std::vector<int> all(std::size_t(list.count()));
            std::iota(all.begin(), all.end(), 1);
            all.pop_back();
            list.removeRows(all);
        }
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.text(1), longText);
        QVERIFY(list.model().store().bytesReserved() < (std::size_t(20) << 20));
    }

    void textsTakenFromAnotherListAreSharedAndOutliveIt()
    {
        RowList files(1, false);
        auto results = std::make_unique<RowList>(2, true);
        results->addColumn("Filename");
        results->addColumn("Size");
        constexpr int kRows = 40000; // paths of more than one chunk
        for (int i = 0; i < kRows; ++i)
            files.add(QStringLiteral("/data/folder %1/file %1.bin").arg(i));
        for (int row = 1; row <= kRows; ++row) {
            // The size texts come between the shared paths, as the size check adds them.
            const int added = results->addUtf8(files.textUtf8(row), files);
            results->setSubItem(added, 1, QStringLiteral("%1 KB").arg(row));
        }
        // Only the size texts took room of the results' own.
        QVERIFY(results->model().store().bytesReserved() <= (std::size_t(1) << 20));

        // A text that is not one of the owner's whole texts is copied, still as a C string.
        const std::string_view whole = files.textUtf8(7);
        const int part = results->addUtf8(whole.substr(0, 6), files);
        const int foreign = results->addUtf8("/elsewhere", files);
        QCOMPARE(results->text(part), QStringLiteral("/data/"));
        QCOMPARE(results->textUtf8(part).data()[6], '\0');
        QCOMPARE(results->text(foreign), QStringLiteral("/elsewhere"));

        // Whatever becomes of the file list, the results keep their texts; and the other way.
        files.setText(2, QStringLiteral("changed"));
        files.removeRows({1, 3, 4});
        files.clear();
        for (const int row : {1, 2, kRows})
            QCOMPARE(results->text(row),
                     QStringLiteral("/data/folder %1/file %1.bin").arg(row - 1));
        files.add(QStringLiteral("/after"));
        const int shared = results->addUtf8(files.textUtf8(1), files);
        QCOMPARE(results->text(shared), QStringLiteral("/after"));
        results.reset();
        QCOMPARE(files.text(1), QStringLiteral("/after"));
    }
    void sizesFollowTheirRowsThroughRemovalsAndAppends()
    {
        RowList list(2, true);
        list.addColumn("Filename");
        for (const char* text : {"a", "b", "c", "d"})
            list.add(text);
        QCOMPARE(list.size(1), std::nullopt); // no row has one yet
        list.setSize(2, 0);
        list.setSize(3, std::int64_t(1) << 62);
        QCOMPARE(list.size(1), std::nullopt);
        QCOMPARE(list.size(2), std::optional<std::int64_t>(0));
        list.remove(1);
        list.add("e");
        QCOMPARE(texts(list), QStringList({"b", "c", "d", "e"}));
        QCOMPARE(list.size(1), std::optional<std::int64_t>(0));
        QCOMPARE(list.size(2), std::optional<std::int64_t>(std::int64_t(1) << 62));
        QCOMPARE(list.size(3), std::nullopt);
        QCOMPARE(list.size(4), std::nullopt);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.size(5));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.setSize(0, 1));
        list.clear();
        list.add("f");
        QCOMPARE(list.size(1), std::nullopt);
    }

    void aReorderMovesTextsTicksSizesAndTheSelection()
    {
        RowList list(2, true);
        list.addColumn("Filename");
        list.addColumn("File Size");
        for (int row = 1; row <= 4; ++row) {
            list.add(QStringLiteral("r%1").arg(row));
            list.setSubItem(row, 1, QStringLiteral("%1 bytes").arg(row * 10));
            list.setSize(row, row * 10);
        }
        list.setChecked(2, true);
        QCoreApplication::processEvents(); // the rows reach the model
        list.select(2);
        QPersistentModelIndex held(list.model().index(1, 0));
        QSignalSpy layout(&list.model(), &QAbstractItemModel::layoutChanged);
        QSignalSpy layoutBegun(&list.model(), &QAbstractItemModel::layoutAboutToBeChanged);

        list.reorder({4, 2, 1, 3});
        QCOMPARE(texts(list), QStringList({"r4", "r2", "r1", "r3"}));
        QCOMPARE(list.subItem(1, 1), QStringLiteral("40 bytes"));
        QCOMPARE(list.size(4), std::optional<std::int64_t>(30));
        QVERIFY(list.checked(2) && !list.checked(1) && !list.checked(3) && !list.checked(4));
        QCOMPARE(list.selectedRow(), 2);
        QCOMPARE(held.row(), 1);
        QCOMPARE(layout.count(), 1);
        QCOMPARE(list.model().index(0, 0).data().toString(), QStringLiteral("r4"));

        // An order that misses a row, repeats one or names one that is not there changes
        // nothing.
        for (const std::vector<int>& wrong :
             std::vector<std::vector<int>>{{1, 2, 3}, {1, 1, 2, 3}, {1, 2, 3, 5}, {0, 1, 2, 3}}) {
            QVERIFY_THROWS_EXCEPTION(std::exception, list.reorder(wrong));
            QCOMPARE(texts(list), QStringList({"r4", "r2", "r1", "r3"}));
        }
        QCOMPARE(layout.count(), layoutBegun.count()); // every layout change begun was ended
    }

    void everyTickChangesAtOnceWithOneNotice()
    {
        RowList list(2, true);
        list.addColumn("Filename");
        for (int row = 1; row <= 1000; ++row)
            list.add(QString::number(row));
        QCoreApplication::processEvents();
        list.setChecked(3, true);
        QSignalSpy changed(&list.model(), &QAbstractItemModel::dataChanged);

        list.invertChecked();
        QVERIFY(list.checked(1) && !list.checked(3) && list.checked(1000));
        list.setAllChecked(true);
        QVERIFY(list.checked(3));
        list.setAllChecked(false);
        for (int row = 1; row <= 1000; ++row)
            QVERIFY(!list.checked(row));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.first().at(2).value<QList<int>>(), QList<int>{Qt::CheckStateRole});

        // A list without ticks keeps none.
        RowList files(1, false);
        files.add("a");
        files.setAllChecked(true);
        files.invertChecked();
        QVERIFY(!files.checked(1));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(RowListTest)
#include "test_row_list.moc"
