#include "commands/open_containing_folder.h"
#include "doubles/test_platform.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "ui/form1.h"
#include "ui/list_menu.h"
#include "ui/sort_indicator.h"

#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>

namespace {

const QStringList kResultsCaptions = {"Tick All",
                                      "Untick All",
                                      "Invert Ticks",
                                      "Sort by Size, Largest First",
                                      "Sort by Size, Smallest First",
                                      "Sort by Name",
                                      "Total\u2026",
                                      "Open Containing Folder",
                                      "Copy Path"};
const QStringList kFileListCaptions = {"Open Containing Folder", "Copy Path"};

// The window on screen, with real files of known sizes in a folder of its own.
struct Window : LoadedWindow
{
    QTemporaryDir dir;

    Window()
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // A file of that many bytes; a sparse one, so a large size costs no disk.
    QString file(const QString& name, qint64 bytes)
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes))
            qFatal("cannot make %s", qPrintable(name));
        return path(name);
    }

    // Checks the given paths' sizes in one unit (1 to 4, as the options), appending results.
    void check(const QStringList& paths, int unitOption)
    {
        QRadioButton* options[] = {radioButton(form, "Option1"), radioButton(form, "Option2"),
                                   radioButton(form, "Option3"), radioButton(form, "Option4")};
        options[unitOption - 1]->click();
        form.fileList().clear();
        for (const QString& p : paths)
            form.fileList().add(p);
        clickControl(form, "PushButton4");
        QCoreApplication::processEvents(); // the rows reach the views
        test.dialogs.clearShown();
    }

    RowList& results() { return form.resultsList(); }

    // Opens a menu as a person would, chooses an item and lets its command run; false when
    // the item was disabled.
    bool choose(ListMenu& menu, ListViewWidget* view, const QString& caption)
    {
        QAction* action = menu.action(caption);
        if (!action) qFatal("no item %s", qPrintable(caption));
        QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
        if (!menu.menu().isVisible()) return false;
        const bool enabled = action->isEnabled();
        if (enabled) action->trigger();
        menu.menu().close();
        QCoreApplication::processEvents(); // the command runs once the menu has gone
        return enabled;
    }
    bool chooseOnResults(const QString& caption)
    {
        return choose(form.resultsMenu(), listWidget(form, "ListView2"), caption);
    }
    bool chooseOnFiles(const QString& caption)
    {
        return choose(form.fileListMenu(), listWidget(form, "ListView1"), caption);
    }

    QStringList enabledItems(ListMenu& menu, ListViewWidget* view)
    {
        QTest::keyClick(view, Qt::Key_Menu);
        QStringList enabled;
        for (const QString& caption : menu.captions())
            if (menu.action(caption)->isEnabled()) enabled << caption;
        menu.menu().close();
        return enabled;
    }

    void clickHeader(int section)
    {
        QHeaderView* header = listWidget(form, "ListView2")->header();
        const QPoint at(header->sectionViewportPosition(section) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QStringList ticked()
    {
        QStringList rows;
        for (int row = 1; row <= results().count(); ++row)
            if (results().checked(row)) rows << results().text(row);
        return rows;
    }
};

QStringList sizeTexts(RowList& list)
{
    QStringList texts;
    for (int row = 1; row <= list.count(); ++row)
        texts << list.subItem(row, 1);
    return texts;
}

} // namespace

// The lists' context menus and the results' headers, in the real window offscreen.
class ResultsMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        removeAllSettings();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void theMenusHaveTheirCaptionsForKeysAndScreenReaders()
    {
        Window w;
        QCOMPARE(w.form.resultsMenu().captions(), kResultsCaptions);
        QCOMPARE(w.form.fileListMenu().captions(), kFileListCaptions);

        // The Menu key and Shift+F10 open each list's own menu; a right click too.
        for (const auto& [view, menu] :
             {std::pair{listWidget(w.form, "ListView2"), &w.form.resultsMenu()},
              std::pair{listWidget(w.form, "ListView1"), &w.form.fileListMenu()}}) {
            QTest::keyClick(view, Qt::Key_Menu);
            QVERIFY(menu->menu().isVisible());
            QTest::keyClick(&menu->menu(), Qt::Key_Escape);
            QVERIFY(!menu->menu().isVisible());
            QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
            QVERIFY(menu->menu().isVisible());
            menu->menu().close();
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                                    view->viewport()->mapToGlobal(QPoint(20, 20)));
            QCoreApplication::sendEvent(view->viewport(), &click);
            QVERIFY(menu->menu().isVisible());

            // Read out with their captions, separators apart.
            QAccessibleInterface* readOut = QAccessible::queryAccessibleInterface(&menu->menu());
            QVERIFY(readOut);
            QStringList names;
            for (int i = 0; i < readOut->childCount(); ++i)
                if (const QString name = readOut->child(i)->text(QAccessible::Name);
                    !name.isEmpty())
                    names << name;
            QCOMPARE(names, menu->captions());
            menu->menu().close();
        }
    }

    void itemsThatDoNotApplyAreDisabled()
    {
        Window w;
        QCOMPARE(w.enabledItems(w.form.resultsMenu(), listWidget(w.form, "ListView2")),
                 QStringList());
        QCOMPARE(w.enabledItems(w.form.fileListMenu(), listWidget(w.form, "ListView1")),
                 QStringList());

        w.check({w.file("a", 1), w.file("b", 2)}, 1);
        QStringList withoutSelection = kResultsCaptions.mid(0, 7);
        QCOMPARE(w.enabledItems(w.form.resultsMenu(), listWidget(w.form, "ListView2")),
                 withoutSelection);
        QCOMPARE(w.enabledItems(w.form.fileListMenu(), listWidget(w.form, "ListView1")),
                 QStringList());

        w.results().select(2);
        w.form.fileList().select(1);
        QCOMPARE(w.enabledItems(w.form.resultsMenu(), listWidget(w.form, "ListView2")),
                 kResultsCaptions);
        QCOMPARE(w.enabledItems(w.form.fileListMenu(), listWidget(w.form, "ListView1")),
                 kFileListCaptions);
    }

    void ticksChangeForEveryRowAndSpaceStillTogglesOne()
    {
        Window w;
        w.check({w.file("a", 1), w.file("b", 2), w.file("c", 3)}, 1);
        w.results().setChecked(2, true);

        QVERIFY(w.chooseOnResults("Invert Ticks"));
        QCOMPARE(w.ticked(), QStringList({w.path("a"), w.path("c")}));
        QVERIFY(w.chooseOnResults("Tick All"));
        QCOMPARE(w.ticked().size(), 3);
        QVERIFY(w.chooseOnResults("Untick All"));
        QCOMPARE(w.ticked(), QStringList());

        ListViewWidget* view = listWidget(w.form, "ListView2");
        view->setFocus();
        view->setCurrentIndex(w.results().model().index(1, 0));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(w.ticked(), QStringList({w.path("b")}));
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(w.ticked(), QStringList());
    }

    void sortsReorderOnceAndTicksAndSelectionMoveWithTheirRows()
    {
        Window w;
        const qint64 gib = qint64(1) << 30;
        w.check({w.file("small", 900), w.file("huge", 5 * gib), w.path("gone")}, 1);
        w.check({w.file("two MB", 2 << 20), w.file("also 900", 900), w.file("File10", 10)}, 3);
        w.check({w.file("File9", 1536)}, 2);
        QCOMPARE(sizeTexts(w.results()), QStringList({"900 bytes", "5368709120 bytes", "", "2 MB",
                                                      "0 MB", "0 MB", "1.5 KB"}));
        w.results().setChecked(1, true); // small
        w.results().setChecked(4, true); // two MB
        w.results().select(6);           // File10

        QVERIFY(w.chooseOnResults("Sort by Size, Largest First"));
        QCOMPARE(rowTexts(w.results()),
                 QStringList({w.path("huge"), w.path("two MB"), w.path("File9"), w.path("small"),
                              w.path("also 900"), w.path("File10"), w.path("gone")}));
        QCOMPARE(w.ticked(), QStringList({w.path("two MB"), w.path("small")}));
        QCOMPARE(w.results().selectedRow(), 6);
        QCOMPARE(w.results().subItem(1, 1), QStringLiteral("5368709120 bytes"));

        QVERIFY(w.chooseOnResults("Sort by Size, Smallest First"));
        QCOMPARE(rowTexts(w.results()),
                 QStringList({w.path("File10"), w.path("small"), w.path("also 900"),
                              w.path("File9"), w.path("two MB"), w.path("huge"), w.path("gone")}));

        QVERIFY(w.chooseOnResults("Sort by Name"));
        QCOMPARE(rowTexts(w.results()),
                 QStringList({w.path("also 900"), w.path("File9"), w.path("File10"), w.path("gone"),
                              w.path("huge"), w.path("small"), w.path("two MB")}));
        QCOMPARE(w.results().text(w.results().selectedRow()), w.path("File10"));

        // The exports take the list as it stands: the ticked rows in their new order.
        clickControl(w.form, "PushButton18");
        QVERIFY(w.test.clipboard.text().startsWith(w.path("small")));
        QVERIFY(w.test.clipboard.text().contains(w.path("two MB")));

        // A later check appends, whatever the last sort was.
        w.check({w.file("a first", 1)}, 1);
        QCOMPARE(w.results().text(8), w.path("a first"));
    }

    void headerClicksSortAndShowTheOrderUntilTheListChanges()
    {
        Window w;
        w.check({w.file("b", 20), w.file("a", 30), w.file("c", 10)}, 1);
        QHeaderView* header = listWidget(w.form, "ListView2")->header();
        const SortIndicator& indicator = w.form.resultsSortIndicator();
        QCOMPARE(header->sortIndicatorSection(), -1);

        w.clickHeader(1); // "File Size": the largest first
        QCOMPARE(rowTexts(w.results()), QStringList({w.path("a"), w.path("b"), w.path("c")}));
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        w.clickHeader(1); // and again: the other way round
        QCOMPARE(rowTexts(w.results()), QStringList({w.path("c"), w.path("b"), w.path("a")}));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        w.clickHeader(0); // "Filename": from A
        QCOMPARE(rowTexts(w.results()), QStringList({w.path("a"), w.path("b"), w.path("c")}));
        QCOMPARE(indicator.column(), 1);
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        // The menu's sorts show too; ticks leave the indicator, new rows and edits clear it.
        QVERIFY(w.chooseOnResults("Sort by Size, Smallest First"));
        QCOMPARE(header->sortIndicatorSection(), 1);
        QVERIFY(w.chooseOnResults("Tick All"));
        QCOMPARE(header->sortIndicatorSection(), 1);
        w.check({w.file("d", 1)}, 1);
        QCOMPARE(header->sortIndicatorSection(), -1);
        QCOMPARE(indicator.column(), 0);

        w.clickHeader(1);
        QCOMPARE(header->sortIndicatorSection(), 1);
        w.results().select(1);
        QTest::keyClick(listWidget(w.form, "ListView2"), Qt::Key_Delete);
        QCOMPARE(w.results().count(), 3);
        QCOMPARE(header->sortIndicatorSection(), -1);

        // After a clear, the first click on a column starts again from its own direction.
        w.clickHeader(0);
        clickControl(w.form, "PushButton9");
        QCOMPARE(header->sortIndicatorSection(), -1);
        w.check({w.file("y", 1), w.file("x", 2)}, 1);
        w.clickHeader(0);
        QCOMPARE(rowTexts(w.results()), QStringList({w.path("x"), w.path("y")}));
    }

    void theTotalSaysWhatItCounted()
    {
        Window w;
        w.check({w.file("a", 1536), w.file("b", 1024), w.path("gone")}, 2);
        QVERIFY(w.chooseOnResults("Total\u2026"));
        w.results().setChecked(2, true);
        QVERIFY(w.chooseOnResults("Total\u2026"));
        const QStringList texts = w.test.dialogs.texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], QStringLiteral("No rows are ticked, so every row is counted.\r\n\r\n"
                                          "Rows: 3\r\n\r\nTotal size:\r\n2560 bytes\r\n2.5 KB\r\n"
                                          "0 MB\r\n0GB\r\n\r\nExact byte count: 2560\r\n\r\n"
                                          "Rows without a size (not in the total): 1"));
        QVERIFY(texts[1].startsWith(QStringLiteral("Ticked rows: 1\r\n\r\nTotal size:\r\n1024 "
                                                   "bytes\r\n1 KB\r\n")));
        QVERIFY(texts[1].endsWith(QStringLiteral(
            "Exact byte count: 1024\r\n\r\nTicked rows without a size (not in the total): 0")));
    }

    void openContainingFolderShowsTheFileOrItsFolderOrSaysItIsGone()
    {
        Window w;
        const QString inside = w.path("sub/inner file.txt");
        writeFile(inside, "x");
        w.check({inside, w.file("top", 1)}, 1);
        w.form.fileList().select(2);
        w.results().select(1);

        QVERIFY(w.chooseOnResults("Open Containing Folder"));
        QVERIFY(w.chooseOnFiles("Open Containing Folder"));
        QCOMPARE(w.test.fileManager.shown,
                 QByteArrayList({inside.toUtf8(), w.path("top").toUtf8()}));
        QVERIFY(w.test.shell.folders.isEmpty());

        // Where no file manager answers, the folder opens with its default handler.
        w.test.fileManager.answers = false;
        QVERIFY(w.chooseOnResults("Open Containing Folder"));
        QCOMPARE(w.test.shell.folders, QStringList({w.path("sub")}));
        QVERIFY(w.test.dialogs.texts().isEmpty());
        // And where no program takes folders either, one box names the folder.
        w.test.shell.opensFolders = false;
        QVERIFY(w.chooseOnResults("Open Containing Folder"));
        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({OpenContainingFolder::nothingShowsMessage(w.path("sub"))}));
        QVERIFY(w.test.dialogs.texts()[0].endsWith(w.path("sub")));
        w.test.dialogs.clearShown();
        w.test.shell.folders.clear();
        w.test.shell.opensFolders = true;

        // A file that went meanwhile: a message names it, and nothing opens.
        QFile::remove(inside);
        w.test.fileManager.shown.clear();
        QVERIFY(w.chooseOnResults("Open Containing Folder"));
        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({QStringLiteral("This file no longer exists:\r\n\r\n") + inside}));
        QVERIFY(w.test.fileManager.shown.isEmpty());
        QVERIFY(w.test.shell.folders.isEmpty());

        QCOMPARE(OpenContainingFolder::folderOf("/a/b/c.txt"), QByteArray("/a/b"));
        QCOMPARE(OpenContainingFolder::folderOf("/c.txt"), QByteArray("/"));
        QCOMPARE(OpenContainingFolder::folderOf("c.txt"), QByteArray("."));
        QCOMPARE(OpenContainingFolder::folderOf("/a/b/"), QByteArray("/a"));
    }

    void copyPathPutsTheSelectedRowsPathOnTheClipboard()
    {
        Window w;
        w.check({w.file("one", 1), w.file("two \u00e9", 2)}, 1);
        w.results().select(2);
        QVERIFY(w.chooseOnResults("Copy Path"));
        QCOMPARE(w.test.clipboard.text(), w.path("two \u00e9"));
        QCOMPARE(w.test.clipboard.format, QString());
        w.form.fileList().select(1); // the file list holds the last check's paths
        QVERIFY(w.chooseOnFiles("Copy Path"));
        QCOMPARE(w.test.clipboard.text(), w.path("one"));
    }

    void nothingOpensOrRunsWhileACommandRuns()
    {
        Window w;
        w.check({w.file("b", 1), w.file("a", 2)}, 1);
        w.results().select(1);
        bool menuOpened = false;
        w.test.dialogs.whileShown([&] {
            // While the check's "Done." box is up, its command still runs.
            w.form.ListView2_ContextMenu(QPoint(10, 10));
            w.form.ListView1_ContextMenu(QPoint(10, 10));
            menuOpened =
                w.form.resultsMenu().menu().isVisible() || w.form.fileListMenu().menu().isVisible();
            w.form.run(w.form.commands().tickAll);
            w.form.run(w.form.commands().sortByName);
            w.clickHeader(1);
            w.form.run(w.form.commands().copyResultPath);
        });
        w.test.clipboard.setText("before", {});
        clickControl(w.form, "PushButton4");
        QVERIFY(!menuOpened);
        QCOMPARE(w.ticked(), QStringList());
        QCOMPARE(rowTexts(w.results()).mid(0, 2), QStringList({w.path("b"), w.path("a")}));
        QCOMPARE(listWidget(w.form, "ListView2")->header()->sortIndicatorSection(), -1);
        QCOMPARE(w.test.clipboard.text(), QStringLiteral("before"));
    }
};

BYTEMARSH_TEST_MAIN(ResultsMenuTest)
#include "test_results_menu.moc"
