#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"

#include <QPushButton>

namespace {

// The window on screen, recording each change of its pointer setting as it shows.
struct Window : QObject
{
    TestPlatform test;
    Form1 form{test.platform()};
    QList<PointerSetting> pointerChanges;
    PointerSetting shown = PointerSetting::Default;

    Window()
    {
        form.Form_Load();
        test.dialogs.clearShown();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::CursorChange && form.mousePointer() != shown)
            pointerChanges << (shown = form.mousePointer());
        return false;
    }

    void answerAndClick(const QString& answer, QPushButton* button)
    {
        test.dialogs.answerInput(answer);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // As a person's double-click arrives: press, release, double-click, release.
    void doubleClick(ListView& list, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QCoreApplication::processEvents(); // rows appended are shown on the next turn
        QWidget* viewport = list.widget()->viewport();
        const QPoint point =
            list.widget()->visualRect(list.rows().model().index(row - 1, 0)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, modifiers, point);
        QTest::mouseDClick(viewport, Qt::LeftButton, modifiers, point);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, point);
    }
};

void fill(RowList& list, const QStringList& texts, const QString& size = {})
{
    for (const QString& text : texts) {
        const int row = list.add(text);
        if (!size.isEmpty()) list.setSubItem(row, 1, size); // as the size check writes them
    }
}

QStringList texts(RowList& list)
{
    return rowTexts(list);
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
        w.answerAndClick("DOC", pushButton(w.form, "PushButton1"));
        QCOMPARE(texts(w.form.fileList()), QStringList({"/data/b.txt"}));
        const auto& shown = w.test.dialogs.shown();
        QCOMPARE(shown.size(), std::size_t(1)); // the prompt, and no word about the outcome
        QCOMPARE(shown[0].kind, ScriptedDialogs::Kind::Input);
        QCOMPARE(shown[0].text, QStringLiteral("Remove entries containing: "));
        QCOMPARE(shown[0].title, w.test.dialogs.applicationTitle());
        QCOMPARE(shown[0].defaultText, QString());
        QCOMPARE(w.pointerChanges,
                 QList<PointerSetting>({PointerSetting::Busy, PointerSetting::Default}));
    }

    void eachButtonFiltersItsOwnListAndNeverTheSizes()
    {
        Window w;
        const QStringList paths = {"/x/keep.txt", "/x/go.bin", "/x/KEEP.log", "/x/bytes"};
        fill(w.form.fileList(), paths);
        fill(w.form.resultsList(), paths, "12 bytes");
        w.answerAndClick("keep", pushButton(w.form, "PushButton2"));
        QCOMPARE(texts(w.form.fileList()), QStringList({"/x/keep.txt", "/x/KEEP.log"}));
        w.answerAndClick("bytes", pushButton(w.form, "PushButton13"));
        QCOMPARE(texts(w.form.resultsList()),
                 QStringList({"/x/keep.txt", "/x/go.bin", "/x/KEEP.log"}));
        QCOMPARE(w.form.resultsList().subItem(1, 1), QStringLiteral("12 bytes"));
        w.answerAndClick("absent", pushButton(w.form, "PushButton14"));
        QCOMPARE(w.form.resultsList().count(), 0);
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({"Remove entries not containing: ", "Remove entries containing: ",
                              "Remove entries not containing: "}));
    }

    void cancelOrAnEmptyAnswerChangesNothing()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b"});
        w.answerAndClick(QString(), pushButton(w.form, "PushButton1")); // Cancel answers the same
        QCOMPARE(texts(w.form.fileList()), QStringList({"/a", "/b"}));
        QVERIFY(w.pointerChanges.isEmpty());
        // On an empty list the prompt still comes.
        w.answerAndClick("x", pushButton(w.form, "PushButton14"));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(2));
    }

    void spacesAreUsedAsTypedAndRepeatsAllGo()
    {
        Window w;
        fill(w.form.fileList(), {"/my files/a", "/myfiles/b", "/my files/a", "/c:\\x"});
        w.answerAndClick(" ", pushButton(w.form, "PushButton1"));
        QCOMPARE(texts(w.form.fileList()), QStringList({"/myfiles/b", "/c:\\x"}));
        w.answerAndClick("C:\\", pushButton(w.form, "PushButton1"));
        QCOMPARE(texts(w.form.fileList()), QStringList({"/myfiles/b"}));
    }

    void lettersBeyondAsciiMatchWhateverTheirCase()
    {
        Window w;
        fill(w.form.fileList(), {"/Ärger/ÉTÉ.txt", "/plain/ete.txt", "/\u212Aelvin",
                                 "/\U00010400.txt", "/\u0130stanbul"});
        w.answerAndClick("été", pushButton(w.form, "PushButton1"));
        w.answerAndClick("KELVIN",
                         pushButton(w.form, "PushButton1")); // the Kelvin sign lower-cases to k
        w.answerAndClick("\U00010428", pushButton(w.form, "PushButton1")); // beyond 16 bits
        w.answerAndClick("i\u0307s",
                         pushButton(w.form, "PushButton1")); // the dotted capital I, lower-cased
        QCOMPARE(texts(w.form.fileList()), QStringList({"/plain/ete.txt"}));
    }

    void aThousandRowsLoseEverySecondAndKeepTheirOrder()
    {
        Window w;
        QStringList kept;
        for (int i = 1; i <= 1000; ++i) {
            const QString path =
                QStringLiteral("/tree/%1/file%2.%3").arg(i % 7).arg(i).arg(i % 2 ? "keep" : "DROP");
            w.form.fileList().add(path);
            if (i % 2) kept << path;
        }
        w.form.fileList().select(999);
        w.answerAndClick("drop", pushButton(w.form, "PushButton1"));
        QCOMPARE(texts(w.form.fileList()), kept);
        QCOMPARE(w.form.fileList().selectedRow(), 500); // the selected row stays selected
    }

    void clearListOfTheFileListWaitsWhileBusyTheResultsListDoesNot()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b"});
        fill(w.form.resultsList(), {"/a", "/b"}, "1 bytes");
        w.form.setMousePointer(PointerSetting::Busy); // as a folder scan shows it
        QTest::mouseClick(pushButton(w.form, "PushButton11"), Qt::LeftButton);
        QTest::mouseClick(pushButton(w.form, "PushButton9"), Qt::LeftButton);
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(w.form.resultsList().count(), 0);
        w.form.setMousePointer(PointerSetting::Default);
        QTest::mouseClick(pushButton(w.form, "PushButton11"), Qt::LeftButton);
        QCOMPARE(w.form.fileList().count(), 0);
        QVERIFY(w.test.dialogs.shown().empty());
    }

    void deleteRemovesTheSelectedResultWhateverTheModifiers()
    {
        Window w;
        fill(w.form.resultsList(), {"/a", "/b", "/c"}, "1 bytes");
        ListViewWidget* results = listWidget(w.form, "ListView2");
        results->setFocus();
        QTest::keyClick(results, Qt::Key_Delete); // nothing selected
        w.form.resultsList().select(2);
        QTest::keyClick(results, Qt::Key_Backspace);
        QCOMPARE(w.form.resultsList().count(), 3);
        QTest::keyClick(results, Qt::Key_Delete,
                        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/a", "/c"}));

        w.form.resultsList().select(1);
        w.form.setMousePointer(PointerSetting::Busy);
        QTest::keyClick(results, Qt::Key_Delete);
        QCOMPARE(w.form.resultsList().count(), 2);

        // The file list has no key command.
        w.form.setMousePointer(PointerSetting::Default);
        fill(w.form.fileList(), {"/a"});
        w.form.fileList().select(1);
        QTest::keyClick(listWidget(w.form, "ListView1"), Qt::Key_Delete);
        QCOMPARE(w.form.fileList().count(), 1);
    }

    void doubleClickRemovesTheRowFromEitherListUnlessBusy()
    {
        Window w;
        fill(w.form.fileList(), {"/a", "/b", "/c"});
        fill(w.form.resultsList(), {"/r1", "/r2"}, "1 bytes");
        w.doubleClick(w.form.fileListView(), 2);
        w.doubleClick(w.form.resultsListView(), 1);
        QCOMPARE(texts(w.form.fileList()), QStringList({"/a", "/c"}));
        QCOMPARE(texts(w.form.resultsList()), QStringList({"/r2"}));

        // Busy as a command that lets clicks through shows it; each double-click is a command
        // of its own, which leaves the pointer as it found it only inside another command.
        w.form.setMousePointer(PointerSetting::Busy);
        w.doubleClick(w.form.fileListView(), 1);
        w.form.setMousePointer(PointerSetting::Busy);
        w.doubleClick(w.form.resultsListView(), 1);
        QCOMPARE(w.form.fileList().count(), 2);
        QCOMPARE(w.form.resultsList().count(), 1);

        // Ctrl takes the selection off the pressed row: with none selected nothing goes.
        w.form.setMousePointer(PointerSetting::Default);
        w.doubleClick(w.form.fileListView(), 1, Qt::ControlModifier);
        QCOMPARE(w.form.fileList().selectedRow(), 0);
        QCOMPARE(w.form.fileList().count(), 2);
    }
};

BYTEMARSH_TEST_MAIN(ListEditingTest)
#include "test_list_editing.moc"
