#include "support/adding_support.h"
#include "support/form_controls.h"
#include "support/test_main.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace {

QMimeData* filesData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// Drags the data over the real list and reports whether the list would take it.
bool dragOver(Form1& form, const QMimeData& data)
{
    QWidget* target = listWidget(form, "ListView1")->viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    return enter.isAccepted() && move.isAccepted() && move.dropAction() != Qt::IgnoreAction;
}

// A drop reaches only the widget that took the drag as it entered, as on a real desktop.
bool drop(Form1& form, const QMimeData& data)
{
    dragOver(form, data);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(listWidget(form, "ListView1")->viewport(), &event);
    return event.isAccepted();
}

} // namespace

class DropTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init() { removeAllSettings(); }

    void droppedFilesAreRowsInDropOrderAsDelivered()
    {
        const QString a = writeFile(path("a.txt"), "a");
        const QString b = writeFile(path("~b.txt"), "b");
        const QString c = writeFile(path(".c"), "c");
        AddingWindow w;
        w.form.show();
        std::unique_ptr<QMimeData> data(filesData({c, a, b}));
        QVERIFY(dragOver(w.form, *data));
        QVERIFY(drop(w.form, *data));
        QVERIFY(drop(w.form, *data)); // again: the same rows once more
        QCOMPARE(w.rows(), QStringList({c, a, b, c, a, b}));
        QVERIFY(w.test.dialogs.shown().empty());
    }

    void aDroppedFolderAddsItsTreeBeforeTheFilesAfterIt()
    {
        writeFile(path("tree/one.doc"), "1");
        writeFile(path("tree/sub/two"), "2");
        writeFile(path("tree/sub/~skip"), "~");
        writeFile(path("tree/.writable"), "h");
        const QString loose = writeFile(path("loose.txt"), "l");
        AddingWindow w;
        QList<PointerSetting> pointers;
        w.test.events.onCall = [&] { pointers << w.form.mousePointer(); };
        std::unique_ptr<QMimeData> data(filesData({path("tree"), loose, path("vanished")}));
        QVERIFY(drop(w.form, *data));
        // A vanished item is no folder, so it is taken as delivered.
        QCOMPARE(w.rows(), QStringList({path("tree/one.doc"), path("tree/sub/two"), loose,
                                        path("vanished")}));
        QVERIFY(!pointers.isEmpty());
        QVERIFY(!pointers.contains(PointerSetting::Busy));
        QCOMPARE(w.test.settings.read("LastFolder", "unset"), QStringLiteral("unset"));
    }

    void anUnreadableFolderDoesNotStopTheOtherItems()
    {
        setMode(dir_.path(), 0755);
        writeFile(path("shut/in.txt"), "x");
        setMode(path("shut"), 0);
        writeFile(path("open/o.txt"), "o");
        if (!ordinaryUserCanReach(dir_.path()))
            QSKIP("An ordinary user cannot reach the temporary folder here");
        AddingWindow w;
        std::unique_ptr<QMimeData> data(filesData({path("shut"), path("open")}));
        {
            ActingAsOrdinaryUser user;
            QVERIFY(drop(w.form, *data));
        }
        setMode(path("shut"), 0755);
        QCOMPARE(w.rows(), QStringList({path("open/o.txt")}));
        QVERIFY(w.test.dialogs.shown().empty());
    }

    void dragsWithoutLocalFilesAreRefused()
    {
        AddingWindow w;
        QMimeData text;
        text.setText(path("a.txt"));
        QVERIFY(!dragOver(w.form, text));
        QVERIFY(!drop(w.form, text));

        QMimeData remote;
        remote.setUrls({QUrl("https://example.com/a.txt")});
        QVERIFY(!dragOver(w.form, remote));

        QMimeData image;
        image.setImageData(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(!dragOver(w.form, image));
        QCOMPARE(w.form.fileList().count(), 0);
    }
};

BYTEMARSH_TEST_MAIN(DropTest)
#include "test_drop.moc"
