#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The window on screen with rows in its file list, driven by a synthesised mouse.
struct Window
{
    TestPlatform test;
    Form1 form{test.platform()};

    explicit Window(const QStringList& rows, int screenTop = 0)
    {
        form.Form_Load();
        for (const QString& row : rows)
            form.fileList().add(row);
        form.move(0, screenTop);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents(); // rows appended are shown on the next turn
    }

    RowList& list() { return form.fileList(); }
    QWidget* viewport() { return listWidget(form, "ListView1")->viewport(); }
    QPoint rowCenter(int row)
    {
        return listWidget(form, "ListView1")->visualRect(list().model().index(row - 1, 0)).center();
    }
    int screenY(int row) { return viewport()->mapToGlobal(rowCenter(row)).y(); }

    void press(int row) { QTest::mousePress(viewport(), Qt::LeftButton, {}, rowCenter(row)); }
    void pressAt(QPoint point) { QTest::mousePress(viewport(), Qt::LeftButton, {}, point); }
    void moveTo(int row) { QTest::mouseMove(viewport(), rowCenter(row)); }
    void release() { QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(5, 5)); }
    // A move with no button held, as it arrives while the pointer passes over the list.
    void hover(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, viewport()->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport(), &move);
    }

    QStringList texts() { return rowTexts(list()); }
    Qt::CursorShape listPointer() const { return listWidget(form, "ListView1")->cursor().shape(); }
};

const QStringList kFive = {"/f/one", "/f/two", "/f/three", "/f/four", "/f/five"};

} // namespace

class FileListDragTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }

    void aDraggedRowTravelsDownAndBack()
    {
        Window w(kFive);
        w.press(2);
        w.moveTo(2); // resting on the dragged row exchanges nothing
        QCOMPARE(w.texts(), kFive);
        w.moveTo(3);
        w.moveTo(4);
        QCOMPARE(w.texts(), QStringList({"/f/one", "/f/three", "/f/four", "/f/two", "/f/five"}));
        QCOMPARE(w.list().selectedRow(), 4);

        w.moveTo(3);
        w.moveTo(2);
        QCOMPARE(w.texts(), kFive);
        QCOMPARE(w.list().selectedRow(), 2);
        w.release();

        // After the release, moves carry nothing.
        w.hover(w.rowCenter(5));
        QCOMPARE(w.texts(), kFive);
    }

    void aJumpTradesOnlyTheTwoRows()
    {
        Window w(kFive);
        w.press(2);
        w.moveTo(4);
        w.release();
        QCOMPARE(w.texts(), QStringList({"/f/one", "/f/four", "/f/three", "/f/two", "/f/five"}));
        QCOMPARE(w.list().selectedRow(), 4);
    }

    void equalTextsExchangeNothing()
    {
        const QStringList rows = {"/f/one", "/f/same", "/f/same", "/f/SAME"};
        Window w(rows);
        w.press(2);
        w.moveTo(3);
        QCOMPARE(w.texts(), rows);
        QCOMPARE(w.list().selectedRow(), 2);
        w.moveTo(4); // compared with case: these differ
        QCOMPARE(w.texts(), QStringList({"/f/one", "/f/SAME", "/f/same", "/f/same"}));
        w.release();
    }

    void namesThatAreNotUtf8KeepTheirBytesThroughDragFilterAndExport()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        const QByteArray odd = folder + "/caf\xff\xe9.bin", plain = folder + "/plain.bin";
        for (const QByteArray& name : {odd, plain}) { // Qt's file names cannot hold such bytes
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0 && ::write(fd, "xyz", 3) == 3 && ::close(fd) == 0);
        }
        const auto bytesOf = [](const RowList& list) {
            QList<QByteArray> rows;
            for (int row = 1; row <= list.count(); ++row)
                rows << QByteArray(list.textUtf8(row).data(), qsizetype(list.textUtf8(row).size()));
            return rows;
        };

        Window w(QStringList{});
        w.list().addUtf8({odd.constData(), std::size_t(odd.size())});
        w.list().addUtf8({plain.constData(), std::size_t(plain.size())});
        QCoreApplication::processEvents();
        w.press(1);
        w.moveTo(2);
        QCOMPARE(bytesOf(w.list()), QList<QByteArray>({plain, odd}));
        w.moveTo(1);
        w.release();
        QCOMPARE(bytesOf(w.list()), QList<QByteArray>({odd, plain}));

        // The dragged rows still name their files.
        clickControl(w.form, "PushButton4");
        QCOMPARE(w.test.dialogs.texts(), QStringList({"Done."}));
        QCOMPARE(bytesOf(w.form.resultsList()), QList<QByteArray>({odd, plain}));
        QCOMPARE(w.form.resultsList().subItem(1, 1), w.form.resultsList().subItem(2, 1));

        // A filter removes rows but never rewrites the ones it keeps; the export writes them.
        w.test.dialogs.answerInput(QStringLiteral("plain"));
        clickControl(w.form, "PushButton13");
        QCOMPARE(bytesOf(w.form.resultsList()), QList<QByteArray>({odd}));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        w.test.dialogs.answerSaveFile(out);
        clickControl(w.form, "PushButton6");
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), odd + "\r\n");
    }

    void movingWithoutAPressChangesNothing()
    {
        Window w(kFive);
        w.hover(w.rowCenter(2));
        w.hover(w.rowCenter(4));
        QCOMPARE(w.texts(), kFive);
        QCOMPARE(w.list().selectedRow(), 0);
    }

    void aLaterDragWithoutARowClickCarriesTheLastRowUnlessItWentAway()
    {
        Window w(kFive);
        const QPoint belowTheRows(w.rowCenter(1).x(), w.viewport()->height() - 2);
        w.press(2);
        w.moveTo(3);
        w.release(); // "/f/two" is in row 3 now

        w.pressAt(belowTheRows);
        w.moveTo(1);
        w.release();
        QCOMPARE(w.texts(), QStringList({"/f/two", "/f/three", "/f/one", "/f/four", "/f/five"}));

        w.list().remove(1); // the row holding the carried text
        w.pressAt(belowTheRows);
        w.moveTo(2);
        w.moveTo(3);
        w.release();
        QCOMPARE(w.texts(), QStringList({"/f/three", "/f/one", "/f/four", "/f/five"}));
    }

    void theDragPointerComesFromTheIconFileAtEveryClick()
    {
        Window w(kFive);
        const QString iconPath = w.test.programFolder() + "/drag.ico";
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::red);
        QVERIFY(icon.save(iconPath, "ICO"));
        QCOMPARE(w.listPointer(), Qt::ArrowCursor);

        w.press(1);
        QCOMPARE(w.listPointer(), Qt::BitmapCursor);
        QCOMPARE(listWidget(w.form, "ListView1")->cursor().pixmap().toImage().pixelColor(16, 16),
                 QColor(Qt::red));
        QVERIFY(!listWidget(w.form, "ListView1")->dragEnabled());
        QVERIFY(listWidget(w.form, "ListView1")->acceptDrops()); // drops from outside still arrive
        w.release();
        QCOMPARE(w.listPointer(), Qt::ArrowCursor);

        // A file that is not an icon, then none at all: the drag works all the same.
        QFile::remove(iconPath);
        writeFile(iconPath, "not an icon");
        w.press(1);
        QVERIFY(w.listPointer() != Qt::ArrowCursor);
        w.moveTo(2);
        w.release();
        QFile::remove(iconPath);
        w.press(2);
        w.moveTo(3);
        w.release();
        QCOMPARE(w.texts(), QStringList({"/f/two", "/f/three", "/f/one", "/f/four", "/f/five"}));
        QCOMPARE(w.listPointer(), Qt::ArrowCursor);
    }

    void theWindowPointerTurnsDefaultOverTheListUnlessBusy()
    {
        Window w(kFive);
        w.form.setMousePointer(PointerSetting::Custom);
        w.hover(w.rowCenter(1));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        w.form.setMousePointer(PointerSetting::Busy);
        w.hover(w.rowCenter(2));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Busy);
        w.press(1);
        w.release(); // the list's own pointer yields to the busy one after the drag
        QCOMPARE(w.listPointer(), Qt::WaitCursor);
    }

    // Row 22 is dragged onto row 21, the top row on show, placed at a given screen row.
    void scrollingFollowsThePointersScreenPosition_data()
    {
        QTest::addColumn<int>("screenY");
        QTest::addColumn<int>("scrolledTo");
        QTest::newRow("high: the row above comes into view") << 304 << 19;
        QTest::newRow("between the bands") << 305 << 20;
        QTest::newRow("still between") << 364 << 20;
        QTest::newRow("low: the row below, already on show") << 365 << 20;
    }

    void scrollingFollowsThePointersScreenPosition()
    {
        QFETCH(int, screenY);
        QFETCH(int, scrolledTo);
        QStringList rows;
        for (int i = 1; i <= 40; ++i)
            rows << QStringLiteral("/rows/%1").arg(i);
        Window w(rows);
        QScrollBar* scroll = listWidget(w.form, "ListView1")->verticalScrollBar();
        scroll->setValue(20);
        w.form.move(0, screenY - w.screenY(21));
        QCoreApplication::processEvents();
        QCOMPARE(w.screenY(21), screenY);

        w.press(22);
        w.moveTo(21);
        w.release();
        QCOMPARE(w.list().text(21), QStringLiteral("/rows/22"));
        QCOMPARE(scroll->value(), scrolledTo);
    }

    void anExchangeLowOnTheScreenShowsTheRowBelow()
    {
        QStringList rows;
        for (int i = 1; i <= 40; ++i)
            rows << QStringLiteral("/rows/%1").arg(i);
        Window w(rows, 400);
        int below = 1; // the first row not shown whole
        while (w.viewport()->rect().contains(
            listWidget(w.form, "ListView1")->visualRect(w.list().model().index(below - 1, 0))))
            ++below;
        w.press(below - 2);
        w.moveTo(below - 1);
        w.release();
        QCOMPARE(listWidget(w.form, "ListView1")->verticalScrollBar()->value(), 1);
        QVERIFY(w.viewport()->rect().contains(
            listWidget(w.form, "ListView1")->visualRect(w.list().model().index(below - 1, 0))));
    }
};

BYTEMARSH_TEST_MAIN(FileListDragTest)
#include "test_file_list_drag.moc"
