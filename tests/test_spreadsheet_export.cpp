#include "base/runtime_error.h"
#include "core/error_trap.h"
#include "doubles/test_platform.h"
#include "platform/desktop_spreadsheet.h"
#include "support/form_controls.h"
#include "support/loaded_window.h"
#include "support/test_main.h"
#include "support/zip_part.h"
#include "ui/form1.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

using Cells = std::map<std::pair<int, int>, QString>;

const QString kNotInstalled =
    QStringLiteral("Excel is not installed on this computer. You need to "
                   "have it installed to use this software without error.");
const QString kNoFeature = QStringLiteral(
    "Excel is not installed on this computer. You need to have it installed to use this feature.");

struct Window : LoadedWindow
{
    Window() {}

    void addResult(const QString& path, const QString& size, bool ticked)
    {
        const int row = form.resultsList().add(path);
        form.resultsList().setSubItem(row, 1, size);
        form.resultsList().setChecked(row, ticked);
    }

    void addThree(bool first, bool second, bool third)
    {
        addResult(QStringLiteral("/data/one.txt"), QStringLiteral("1 KB"), first);
        addResult(QStringLiteral("/data/two.txt"), QStringLiteral("2 KB"), second);
        addResult(QStringLiteral("/data/three.txt"), QStringLiteral("3 KB"), third);
    }
};

QString randomHex()
{
    quint32 words[8];
    QRandomGenerator::global()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

QString report(const QString& description, int line)
{
    return ErrorReporter::reportText(description, QStringLiteral("Meterkin2021/08/31"),
                                     QStringLiteral("Form1"), QStringLiteral("PushButton12_Click"),
                                     line);
}

// "C12" -> (12, 3)
std::pair<int, int> cellPosition(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        column = column * 26 + (ref[i].unicode() - 'A' + 1);
    return {ref.mid(i).toInt(), column};
}

// The text cells of a workbook's first sheet, and the widths of its fitted columns.
struct SheetContent
{
    Cells cells;
    std::map<int, double> widths;
};

SheetContent readSheet(const QString& file)
{
    QStringList shared;
    QXmlStreamReader strings(zipPart(file, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd())
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"si")
            shared << strings.readElementText(QXmlStreamReader::IncludeChildElements);

    SheetContent content;
    QXmlStreamReader sheet(zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml")));
    std::pair<int, int> at;
    QString type;
    while (!sheet.atEnd()) {
        if (sheet.readNext() != QXmlStreamReader::StartElement) continue;
        const auto attributes = sheet.attributes();
        if (sheet.name() == u"col") {
            for (int c = attributes.value(QStringLiteral("min")).toInt();
                 c <= attributes.value(QStringLiteral("max")).toInt(); ++c)
                content.widths[c] = attributes.value(QStringLiteral("width")).toDouble();
        } else if (sheet.name() == u"c") {
            at = cellPosition(attributes.value(QStringLiteral("r")));
            type = attributes.value(QStringLiteral("t")).toString();
        } else if (sheet.name() == u"v") {
            const QString value = sheet.readElementText();
            content.cells[at] =
                type == u"s" ? shared.value(value.toInt()) : QStringLiteral("?") + value;
        } else if (sheet.name() == u"t") {
            content.cells[at] = sheet.readElementText();
        }
    }
    return content;
}

} // namespace

class SpreadsheetExportTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void init() { removeAllSettings(); }

    void allTickedRowsFollowTheTitles()
    {
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        w.addThree(true, true, true);
        QList<PointerSetting> pointerAtCalls;
        sheet.onCall = [&](const QString&) { pointerAtCalls << w.form.mousePointer(); };

        clickControl(w.form, "PushButton12");

        QCOMPARE(sheet.calls,
                 QStringList({"create", "create", "add workbook", "cell 1,1 Filename", "autofit 1",
                              "cell 1,2 File Size", "autofit 2", "cell 2,1 /data/one.txt",
                              "cell 2,2 1 KB", "cell 3,1 /data/two.txt", "cell 3,2 2 KB",
                              "cell 4,1 /data/three.txt", "cell 4,2 3 KB", "autofit all",
                              "visible true"}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(0));
        QCOMPARE(pointerAtCalls.first(), PointerSetting::Default); // the installed test
        QCOMPARE(pointerAtCalls.mid(1),
                 QList<PointerSetting>(sheet.calls.size() - 1, PointerSetting::Busy));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void untickedRowsLeaveTheirSheetRowEmpty_data()
    {
        QTest::addColumn<bool>("secondOnly");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("only the second ticked")
            << true
            << QStringList({"1,1 Filename", "1,2 File Size", "3,1 /data/two.txt", "3,2 2 KB"});
        QTest::newRow("none ticked") << false << QStringList({"1,1 Filename", "1,2 File Size"});
    }

    void untickedRowsLeaveTheirSheetRowEmpty()
    {
        QFETCH(bool, secondOnly);
        QFETCH(QStringList, cells);
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        w.addThree(false, secondOnly, false);
        clickControl(w.form, "PushButton12");
        QStringList written;
        for (const auto& [at, text] : sheet.cells)
            written << QStringLiteral("%1,%2 %3").arg(at.first).arg(at.second).arg(text);
        QCOMPARE(written, cells);
        QCOMPARE(sheet.calls.mid(sheet.calls.size() - 2),
                 QStringList({"autofit all", "visible true"}));
    }

    void equalsSignsLeaveSizeTextsOnly()
    {
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        w.addResult(QStringLiteral("/a=b/c==.txt"), QStringLiteral("=1=2 KB="), true);
        clickControl(w.form, "PushButton12");
        QCOMPARE(sheet.cells[std::make_pair(2, 1)], QStringLiteral("/a=b/c==.txt"));
        QCOMPARE(sheet.cells[std::make_pair(2, 2)], QStringLiteral("12 KB"));
    }

    void aMissingApplicationIsSaidTwiceAndNothingElse()
    {
        Window w;
        w.addThree(true, true, true);
        w.form.setMousePointer(PointerSetting::Custom);
        w.test.dialogs.whileShown([&] { QCOMPARE(w.form.mousePointer(), PointerSetting::Custom); });
        clickControl(w.form, "PushButton12");
        QCOMPARE(w.test.dialogs.texts(), QStringList({kNotInstalled, kNoFeature}));
        for (const auto& box : w.test.dialogs.shown()) {
            QCOMPARE(box.icon, BoxIcon::None);
            QCOMPARE(box.buttons, BoxButtons::Ok);
            QCOMPARE(box.title, w.test.dialogs.applicationTitle());
        }
        QCOMPARE(w.form.mousePointer(), PointerSetting::Custom);

        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        sheet.missing = true;
        w.test.dialogs.clearShown();
        QVERIFY(!w.form.commands().saveResultsAsExcelFile.SaveResultsAsExcelFileIsExcelInstalled());
        QCOMPARE(w.test.dialogs.texts(), QStringList({kNotInstalled}));
        QCOMPARE(sheet.calls, QStringList({"create"}));
    }

    void anEmptyListOnlyRunsTheInstalledTest()
    {
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        clickControl(w.form, "PushButton12");
        QCOMPARE(sheet.calls, QStringList({"create"}));
        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(0));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void anApplicationThatGivesNoObjectFailsStepByStep()
    {
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        sheet.giveNothing = true;
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 KB"), true);
        clickControl(w.form, "PushButton12");
        const QString unset = QStringLiteral("Object variable or With block variable not set");
        QStringList expected = {kNotInstalled};
        for (int line : {114, 124, 132, 128, 132, 152, 156, 166, 168})
            expected << report(unset, line);
        QCOMPARE(w.test.dialogs.texts(), expected);
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void theWorkbookFileHoldsTheCells()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup.sh installs it)");
        Window w;
        const QString folder = dir_.filePath(QStringLiteral("workbooks"));
        QDir().mkpath(folder);
        w.test.useSpreadsheet(
            std::make_unique<DesktopSpreadsheetLauncher>(w.test.shell, folder, [] {
                return SpreadsheetProgram{true, {}};
            }));
        const QString longPath =
            QStringLiteral("/data/r\u00e9sum\u00e9s & <notes>/a rather long name.txt");
        w.addResult(longPath, QStringLiteral("=15.5 KB"), true);
        w.addResult(QStringLiteral("/data/skipped.txt"), QStringLiteral("1 KB"), false);
        w.addResult(QStringLiteral("/b"), QStringLiteral("0 bytes"), true);

        clickControl(w.form, "PushButton12");
        clickControl(w.form, "PushButton12"); // a second export never replaces the first

        QCOMPARE(w.test.dialogs.shown().size(), std::size_t(0));
        const QString first = QDir(folder).filePath(QStringLiteral("Bytemarsh results.xlsx"));
        const QString second = QDir(folder).filePath(QStringLiteral("Bytemarsh results (2).xlsx"));
        QCOMPARE(w.test.shell.urls, QStringList({QUrl::fromLocalFile(first).toString(),
                                                 QUrl::fromLocalFile(second).toString()}));
        for (const QString& file : {first, second}) {
            const SheetContent sheet = readSheet(file);
            const Cells expected = {{{1, 1}, QStringLiteral("Filename")},
                                    {{1, 2}, QStringLiteral("File Size")},
                                    {{2, 1}, longPath},
                                    {{2, 2}, QStringLiteral("15.5 KB")},
                                    {{4, 1}, QStringLiteral("/b")},
                                    {{4, 2}, QStringLiteral("0 bytes")}};
            QCOMPARE(sheet.cells, expected);
            QCOMPARE(sheet.widths.size(), std::size_t(2));
            QVERIFY(sheet.widths.at(1) >= longPath.size());
            QVERIFY(sheet.widths.at(2) >= QStringLiteral("File Size").size());
            QVERIFY(sheet.widths.at(2) < longPath.size());
        }
    }

    void theDesktopProgramIsFoundAndStarted()
    {
        Window w;
        QStringList started;
        const QString folder = dir_.filePath(QStringLiteral("started"));
        QDir().mkpath(folder);
        w.test.useSpreadsheet(std::make_unique<DesktopSpreadsheetLauncher>(
            w.test.shell, folder,
            [] {
                return SpreadsheetProgram{true, QStringLiteral("/opt/calc")};
            },
            [&](const QString& program, const QStringList& arguments) {
                started << program << arguments;
                return true;
            }));
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 KB"), true);
        clickControl(w.form, "PushButton12");
        QCOMPARE(started,
                 QStringList({QStringLiteral("/opt/calc"),
                              QDir(folder).filePath(QStringLiteral("Bytemarsh results.xlsx"))}));
        QVERIFY(w.test.shell.urls.isEmpty());

        // No program at all: the launcher cannot create the application.
        w.test.useSpreadsheet(std::make_unique<DesktopSpreadsheetLauncher>(
            w.test.shell, folder, [] { return SpreadsheetProgram{}; }));
        clickControl(w.form, "PushButton12");
        QCOMPARE(w.test.dialogs.texts(), QStringList({kNotInstalled, kNoFeature}));

        // A program on the PATH counts; without one and without a registered program, none does.
        const QByteArray savedPath = qgetenv("PATH");
        const QString bin = dir_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        qputenv("PATH", bin.toUtf8());
        QVERIFY(!findSpreadsheetProgram().found);
        writeFile(bin + QStringLiteral("/soffice"), "#!/bin/sh\n");
        QFile::setPermissions(bin + QStringLiteral("/soffice"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const SpreadsheetProgram onPath = findSpreadsheetProgram();
        qputenv("PATH", savedPath);
        QVERIFY(onPath.found);
        QCOMPARE(onPath.executable, bin + QStringLiteral("/soffice"));
    }

    void theDesktopIsAskedOncePerExportAndNotForLong()
    {
        Window w;
        const QString folder = dir_.filePath(QStringLiteral("asked"));
        QDir().mkpath(folder);
        int looks = 0;
        w.test.useSpreadsheet(
            std::make_unique<DesktopSpreadsheetLauncher>(w.test.shell, folder, [&] {
                ++looks;
                return SpreadsheetProgram{true, {}};
            }));
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 KB"), true);
        clickControl(w.form, "PushButton12");
        QCOMPARE(looks, 1);
        clickControl(w.form, "PushButton12"); // the next click looks again: a program may have come
        QCOMPARE(looks, 2);
        QCOMPARE(w.test.shell.urls.size(), qsizetype(2));

        // The real look, against a desktop whose answer never comes.
        const QString bin = dir_.filePath(QStringLiteral("slow-desktop"));
        const QString log = bin + QStringLiteral("/asked.log");
        writeFile(bin + QStringLiteral("/xdg-mime"),
                  "#!/bin/sh\necho \"$*\" >> '" + log.toUtf8() + "'\nexec /bin/sleep 20\n");
        QFile::setPermissions(bin + QStringLiteral("/xdg-mime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8());
        w.test.useSpreadsheet(std::make_unique<DesktopSpreadsheetLauncher>(w.test.shell, folder));
        w.test.dialogs.clearShown();
        QElapsedTimer clock;
        clock.start();
        clickControl(w.form, "PushButton12");
        const qint64 took = clock.elapsed();
        qputenv("PATH", savedPath);
        QFile asked(log);
        QVERIFY(asked.open(QIODevice::ReadOnly));
        QCOMPARE(asked.readAll().count('\n'), qsizetype(1));
        QVERIFY2(took < 3000, qPrintable(QStringLiteral("the window waited %1 ms").arg(took)));
        QCOMPARE(w.test.dialogs.texts(), QStringList({kNotInstalled, kNoFeature}));
    }

    // The documents folder as the desktop names it, or else the home folder: never a hidden one.
    void workbooksGoWhereTheUserLooks()
    {
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        const QString home = dir_.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")));
        const QString withoutDocuments = defaultWorkbookFolder();
        writeFile(home + QStringLiteral("/.config/user-dirs.dirs"),
                  "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
        QDir().mkpath(home + QStringLiteral("/Papers"));
        const QString withDocuments = defaultWorkbookFolder();
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig);
        QCOMPARE(withoutDocuments, home);
        QCOMPARE(withDocuments, home + QStringLiteral("/Papers"));
    }

    // Stopped while the cells are gathered or while the workbook is written on its worker:
    // no workbook appears and no program starts.
    void aStopLeavesNoWorkbookAndStartsNothing()
    {
        Window w;
        const QString folder = dir_.filePath(QStringLiteral("stopped"));
        QDir().mkpath(folder);
        QStringList started;
        auto launcher = std::make_unique<DesktopSpreadsheetLauncher>(
            w.test.shell, folder,
            [] {
                return SpreadsheetProgram{true, QStringLiteral("/opt/calc")};
            },
            [&](const QString& program, const QStringList&) {
                started << program;
                return true;
            });
        launcher->setEventPump(&w.test.events);
        w.test.useSpreadsheet(std::move(launcher));
        // Enough rows that the write outlasts a wait round: names that compress slowly.
        for (int row = 0; row < 100000; ++row)
            w.addResult(QStringLiteral("/data/%1.txt").arg(randomHex()), QStringLiteral("1 KB"),
                        true);

        int rounds = 0;
        w.test.events.onCall = [&] {
            if (++rounds == 1000) w.test.events.requestStop();
        };
        clickControl(w.form, "PushButton12");
        w.test.events.onCall = nullptr;
        int waits = 0;
        w.test.events.onWaitCall = [&] {
            ++waits;
            w.test.events.requestStop();
        };
        clickControl(w.form, "PushButton12");
        QVERIFY(waits > 0); // the second stop came while the worker wrote

        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(started.isEmpty());
        QVERIFY(w.test.shell.urls.isEmpty());
        QVERIFY(w.test.dialogs.texts().isEmpty());
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    void aWorkbookThatCannotBeWrittenIsReported()
    {
        Window w;
        const QString folder = dir_.filePath(QStringLiteral("missing/folder"));
        w.test.useSpreadsheet(
            std::make_unique<DesktopSpreadsheetLauncher>(w.test.shell, folder, [] {
                return SpreadsheetProgram{true, {}};
            }));
        w.addResult(QStringLiteral("/a"), QStringLiteral("1 KB"), true);
        clickControl(w.form, "PushButton12");
        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({report(QStringLiteral("Path not found"), 168)}));
        QVERIFY(w.test.shell.urls.isEmpty());
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);
    }

    // Results row r goes to sheet row r + 1, so from results row 1,048,576 on there is no room.
    void tickedRowsPastTheSheetsEndAreCountedInOneMessage()
    {
        Window w;
        RecordingSpreadsheet& sheet = w.test.recordSpreadsheet();
        RowList& results = w.form.resultsList();
        const int lastThatFits = kSheetRows - 1;
        for (int row = 1; row <= kSheetRows + 3; ++row)
            results.addUtf8("/r");
        for (int row : {1, lastThatFits, lastThatFits + 1, lastThatFits + 2, lastThatFits + 4}) {
            results.setText(row, QStringLiteral("/data/%1").arg(row));
            results.setSubItem(row, 1, QStringLiteral("%1 KB").arg(row));
            results.setChecked(row, true);
        }

        clickControl(w.form, "PushButton12");

        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({QStringLiteral("A sheet holds at most 1,048,576 rows. 3 ticked rows "
                                             "past the last one were left out.")}));
        QCOMPARE(w.test.dialogs.shown()[0].icon, BoxIcon::None);
        QCOMPARE(w.test.dialogs.shown()[0].buttons, BoxButtons::Ok);
        const Cells expected = {{{1, 1}, QStringLiteral("Filename")},
                                {{1, 2}, QStringLiteral("File Size")},
                                {{2, 1}, QStringLiteral("/data/1")},
                                {{2, 2}, QStringLiteral("1 KB")},
                                {{kSheetRows, 1}, QStringLiteral("/data/%1").arg(lastThatFits)},
                                {{kSheetRows, 2}, QStringLiteral("%1 KB").arg(lastThatFits)}};
        QCOMPARE(sheet.cells, expected);
        QCOMPARE(sheet.calls.mid(sheet.calls.size() - 2),
                 QStringList({"autofit all", "visible true"}));
        QCOMPARE(w.form.mousePointer(), PointerSetting::Default);

        // One left out is said so.
        results.setChecked(lastThatFits + 1, false);
        results.setChecked(lastThatFits + 4, false);
        w.test.dialogs.clearShown();
        clickControl(w.form, "PushButton12");
        QCOMPARE(w.test.dialogs.texts(),
                 QStringList({QStringLiteral("A sheet holds at most 1,048,576 rows. 1 ticked row "
                                             "past the last one was left out.")}));
    }

    // The rows stream to disk: a cell of the row being filled may still be replaced, by an
    // empty text too, and the fitted widths follow what each row ends with; a row already
    // written is refused, as a cell past the sheet's end is.
    void theWorkbookStreamsItsRowsInOrder()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup.sh installs it)");
        XlsxWorkbook workbook;
        workbook.setCell(1, 2, QStringLiteral("Size"));
        workbook.setCell(1, 1, QStringLiteral("a title far longer than the rest"));
        workbook.setCell(1, 1, QStringLiteral("Name"));
        workbook.autofitColumn(1);
        workbook.setCell(3, 1, QStringLiteral("/x"));
        workbook.setCell(3, 2, QStringLiteral("gone"));
        workbook.setCell(3, 2, QString());
        for (const auto& [row, column] : {std::pair(2, 1), std::pair(1, 1)}) {
            try {
                workbook.setCell(row, column, QStringLiteral("late"));
                QFAIL(qPrintable(QStringLiteral("row %1 was taken after row 3").arg(row)));
            } catch (const RuntimeError& error) {
                QCOMPARE(error.number(), int(RuntimeError::ApplicationDefined));
            }
        }
        workbook.setCell(3, 1, QStringLiteral("/a longer path"));
        workbook.autofitAllColumns();
        const QString file = dir_.filePath(QStringLiteral("streamed.xlsx"));
        workbook.saveReplacing(file);

        const SheetContent sheet = readSheet(file);
        const Cells expected = {{{1, 1}, QStringLiteral("Name")},
                                {{1, 2}, QStringLiteral("Size")},
                                {{3, 1}, QStringLiteral("/a longer path")}};
        QCOMPARE(sheet.cells, expected);
        QCOMPARE(sheet.widths.size(), std::size_t(2));
        // The sheet keeps a width as whole pixels: a little over the characters it fits.
        QVERIFY(sheet.widths.at(1) > 14 && sheet.widths.at(1) < 20);
        QVERIFY(sheet.widths.at(2) > 4 && sheet.widths.at(2) < 8);
    }

    void theWorkbookRefusesCellsPastTheSheetsEnd()
    {
        XlsxWorkbook workbook;
        workbook.setCell(kSheetRows, kSheetColumns, QStringLiteral("last"));
        for (const auto& [row, column] :
             {std::pair(kSheetRows + 1, 1), std::pair(1, kSheetColumns + 1), std::pair(0, 1)}) {
            try {
                workbook.setCell(row, column, QStringLiteral("x"));
                QFAIL(
                    qPrintable(QStringLiteral("row %1, column %2 was taken").arg(row).arg(column)));
            } catch (const RuntimeError& error) {
                QCOMPARE(error.description(),
                         QStringLiteral("Application-defined or object-defined error"));
            }
        }
    }
};

BYTEMARSH_TEST_MAIN(SpreadsheetExportTest)
#include "test_spreadsheet_export.moc"
