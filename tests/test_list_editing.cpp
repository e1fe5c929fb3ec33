#include "platform/testing/test_platform.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QPushButton>

namespace {

// The window on screen, with every change of its pointer recorded as it happens.
struct Window : QObject
{
    TestPlatform test;
    Form1 form{test.platform()};
    QList<PointerSetting> pointerChanges;

    Window()
    {
        form.Form_Load();
        test.dialogs.clearShown();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.installEventFilter(this);
    }

    // Each change of the window's pointer setting, as the window shows it.
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::CursorChange && form.mousePointer() != shownPointer) {
            shownPointer = form.mousePointer();
            pointerChanges << shownPointer;
        }
        return false;
    }
    PointerSetting shownPointer = PointerSetting::Default;

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // As a person's double-click arrives: press, release, double-click, release.
    void doubleClick(ListView& list, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* viewport = list.widget()->viewport();
        const QPoint point = rowCenter(list, row);
        QTest::mouseClick(viewport, Qt::LeftButton, modifiers, point);
        QTest::mouseDClick(viewport, Qt::LeftButton, modifiers, point);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, point);
    }

    QPoint rowCenter(ListView& list, int row)
    {
        QCoreApplication::processEvents(); // rows appended are shown on the next turn
        return list.widget()->visualRect(list.model().index(row - 1, 0)).center();
    }
};

void fill(ListView& list, const QStringList& texts)
{
    for (const QString& text : texts)
        list.add(text);
}

QStringList texts(ListView& list)
{
    QStringList result;
    for (int row = 1; row <= list.count(); ++row)
        result << list.text(row);
    return result;
}

// Results rows as the size check writes them: the path, and a size text beside it.
void fillResults(ListView& results, const QStringList& paths, const QString& size)
{
    for (const QString& path : paths)
        results.setSubItem(results.add(path), 1, size);
}

} // namespace

class ListEditingTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { removeAllSettings(); }

    void containingIgnoresCaseAndShowsTheBusyPointerMeanwhile()
    {
        Window w;
        fill(w.form.fileList(), {"/data/a.doc", "/data/b.txt", "/data/c.Doc"});
        w.test.dialogs.answerInput("DOC");
        w.click(w.form.PushButton1);

        QCOMPARE(texts(w.form.fileList()), QStringList({"/data/b.txt"}));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(1)); // the prompt, and no word about the outcome
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::Input);
        QCOMPARE(shown[0].text, QStringLiteral("Remove entries containing: "));
        QCOMPARE(shown[0].title, applicationTitle());
        QCOMPARE(shown[0].defaultText, QString());
        QCOMPARE(w.pointerChanges,
                 QList<PointerSetting>({PointerSetting::Busy, PointerSetting::Default}));
    }

    void eachButtonFiltersItsOwnListWithItsOwnPrompt()
    {
        Window w;
        const QStringList paths = {"/x/keep.txt", "/x/go.bin", "/x/KEEP.log"};
        fill(w.form.fileList(), paths);
        fillResults(w.form.resultsList(), paths, "12 bytes");

        w.test.dialogs.answerInput("keep");
        w.click(w.form.PushButton2);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/x/keep.txt", "/x/KEEP.log"}));
        w.test.dialogs.answerInput("KEEP.");
        w.click(w.form.PushButton14);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/x/keep.txt", "/x/KEEP.log"}));
        w.test.dialogs.answerInput(".log");
        w.click(w.form.PushButton13);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/x/keep.txt"}));
        QCOMPARE(w.form.resultsList().subItem(1, 1), QStringLiteral("12 bytes"));
        QCOMPARE(w.form.fileList().count(), 2);

        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({"Remove entries not containing: ", "Remove entries not containing: ",
                              "Remove entries containing: "}));
    }

    void notContainingATextNoRowHoldsEmptiesTheList()
    {
        Window w;
        fillResults(w.form.resultsList(), {"/a/one", "/a/two"}, "1 KB");
        w.test.dialogs.answerInput("absent");
        w.click(w.form.PushButton14);
        QCOMPARE(w.form.resultsList().count(), 0);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(1));
    }

    void theSizeColumnIsNeverSearched()
    {
        Window w;
        fillResults(w.form.resultsList(), {"/docs/bytes.txt", "/docs/other.bin"}, "2048 bytes");
        w.test.dialogs.answerInput("bytes");
        w.click(w.form.PushButton13);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/docs/other.bin"}));
    }

    void cancelOrAnEmptyAnswerChangesNothing()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b"});
        w.test.dialogs.answerInput(QString()); // OK with nothing typed; Cancel gives the same
        w.click(w.form.PushButton1);
        w.click(w.form.PushButton2); // unscripted: cancelled
        QCOMPARE(texts(w.form.fileList()), QStringList({"/a", "/b"}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2));
        QVERIFY(w.pointerChanges.isEmpty());

        // On an empty list the prompt still comes, and the answer finds nothing to remove.
        w.test.dialogs.answerInput("x");
        w.click(w.form.PushButton14);
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(3));
        QCOMPARE(w.form.resultsList().count(), 0);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aTextOfSpacesIsUsedAsTypedAndRepeatsAllGo()
    {
        Window w;
        fill(w.form.fileList(), {"/my files/a", "/myfiles/b", "/my files/a", "/c:\\x"});
        w.test.dialogs.answerInput(" ");
        w.click(w.form.PushButton1);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/myfiles/b", "/c:\\x"}));
        w.test.dialogs.answerInput("C:\\");
        w.click(w.form.PushButton1);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/myfiles/b"}));
    }

    void lettersBeyondAsciiMatchWhateverTheirCase()
    {
        Window w;
        fill(w.form.fileList(), {"/Ärger/ÉTÉ.txt", "/ärger/été.md", "/plain/ete.txt",
                                 "/\u212Aelvin", "/\U00010400.txt", "/\u0130stanbul"});
        w.test.dialogs.answerInput("été");
        w.click(w.form.PushButton1);
        QCOMPARE(w.form.fileList().count(), 4);
        w.test.dialogs.answerInput("KELVIN"); // the Kelvin sign lower-cases to a plain k
        w.click(w.form.PushButton1);
        w.test.dialogs.answerInput("\U00010428"); // beyond 16 bits
        w.click(w.form.PushButton1);
        w.test.dialogs.answerInput("i\u0307s"); // what the dotted capital I lower-cases to
        w.click(w.form.PushButton1);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/plain/ete.txt"}));
        w.test.dialogs.answerInput("ÄRGER");
        w.click(w.form.PushButton2);
        QCOMPARE(w.form.fileList().count(), 0);
    }

    void aThousandRowsLoseEverySecondAndKeepTheirOrder()
    {
        Window w;
        QStringList kept;
        for (int i = 1; i <= 1000; ++i) {
            const QString path = QStringLiteral("/tree/%1/file%2.%3")
                                     .arg(i % 7)
                                     .arg(i)
                                     .arg(i % 2 ? QStringLiteral("keep") : QStringLiteral("DROP"));
            w.form.fileList().add(path);
            if (i % 2) kept << path;
        }
        w.form.fileList().select(999);
        w.test.dialogs.answerInput("drop");
        w.click(w.form.PushButton1);
        QCOMPARE(texts(w.form.fileList()), kept);
        QCOMPARE(w.form.fileList().selectedRow(), 500); // the selected row stays selected
    }

    void clearListOfTheFileListWaitsWhileBusyTheResultsListDoesNot()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b"});
        fillResults(w.form.resultsList(), {"/a", "/b"}, "1 bytes");
        w.form.setMousePointer(PointerSetting::Busy); // as a folder scan shows it
        w.click(w.form.PushButton11);
        w.click(w.form.PushButton9);
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(w.form.resultsList().count(), 0);

        w.form.setMousePointer(PointerSetting::Default);
        w.click(w.form.PushButton11);
        QCOMPARE(w.form.fileList().count(), 0);
        QVERIFY(w.test.dialogs.shown().empty());
    }

    void deleteRemovesTheSelectedResultWhateverTheModifiers()
    {
        Window w;
        fillResults(w.form.resultsList(), {"/a", "/b", "/c", "/d"}, "1 bytes");
        ListViewWidget* results = w.form.ListView2Widget;
        results->setFocus();

        QTest::keyClick(results, Qt::Key_Delete); // nothing selected
        QCOMPARE(w.form.resultsList().count(), 4);

        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          w.rowCenter(w.form.resultsList(), 2));
        QCOMPARE(w.form.resultsList().selectedRow(), 2);
        QTest::keyClick(results, Qt::Key_Backspace);
        QTest::keyClick(results, Qt::Key_D);
        QCOMPARE(w.form.resultsList().count(), 4);
        QTest::keyClick(results, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/a", "/c", "/d"}));

        w.form.resultsList().select(3);
        w.form.setMousePointer(PointerSetting::Busy);
        QTest::keyClick(results, Qt::Key_Delete);
        QCOMPARE(w.form.resultsList().count(), 3);
        w.form.setMousePointer(PointerSetting::Default);
        QTest::keyClick(results, Qt::Key_Delete, Qt::AltModifier);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/a", "/c"}));

        // The file list has no key command.
        fill(w.form.fileList(), {"/a"});
        w.form.fileList().select(1);
        w.form.ListView1Widget->setFocus();
        QTest::keyClick(w.form.ListView1Widget, Qt::Key_Delete);
        QCOMPARE(w.form.fileList().count(), 1);
    }

    void doubleClickRemovesTheRowFromEitherListUnlessBusy()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b", "/c"});
        fillResults(w.form.resultsList(), {"/r1", "/r2"}, "1 bytes");
        w.doubleClick(w.form.fileList(), 2);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/a", "/c"}));
        w.doubleClick(w.form.resultsList(), 1);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/r2"}));

        w.form.setMousePointer(PointerSetting::Busy);
        w.doubleClick(w.form.fileList(), 1);
        w.doubleClick(w.form.resultsList(), 1);
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(w.form.resultsList().count(), 1);
        w.form.setMousePointer(PointerSetting::Default);

        // Ctrl takes the selection off the row it presses; with none selected nothing goes.
        w.form.fileList().select(1);
        QTest::mouseClick(w.form.ListView1Widget->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          w.rowCenter(w.form.fileList(), 1));
        QCOMPARE(w.form.fileList().selectedRow(), 0);
        QTest::mouseDClick(w.form.ListView1Widget->viewport(), Qt::LeftButton, Qt::ControlModifier,
                           w.rowCenter(w.form.fileList(), 1));
        QTest::mouseRelease(w.form.ListView1Widget->viewport(), Qt::LeftButton, Qt::ControlModifier,
                            w.rowCenter(w.form.fileList(), 1));
        QCOMPARE(w.form.fileList().count(), 2);
    }
};

BYTEMARSH_TEST_MAIN(ListEditingTest)
#include "test_list_editing.moc"
