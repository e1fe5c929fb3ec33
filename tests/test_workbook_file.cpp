#include "base/runtime_error.h"
#include "platform/deflate_part.h"
#include "platform/save_steps.h"
#include "platform/xlsx_workbook.h"
#include "platform/zip_archive.h"
#include "support/test_main.h"
#include "support/zip_part.h"

#include <QProcess>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

struct Cell
{
    int row;
    int column;
    QString text;
};

// The same cells as the library writes them on its own, row by row.
void writeWithLibrary(const QString& file, const std::vector<Cell>& cells)
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(file.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    for (const Cell& cell : cells)
        worksheet_write_string(sheet, lxw_row_t(cell.row - 1), lxw_col_t(cell.column - 1),
                               cell.text.toUtf8().constData(), nullptr);
    QCOMPARE(workbook_close(workbook), LXW_NO_ERROR);
}

QByteArray withoutWidths(QByteArray xml)
{
    const qsizetype from = xml.indexOf("<cols>");
    if (from >= 0) xml.remove(from, xml.indexOf("</cols>") + 7 - from);
    return xml;
}

QStringList partsOf(const QString& archive)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    unzip.waitForFinished(10000);
    return QString::fromUtf8(unzip.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// unzip's own check of every part's checksum.
bool unzipFindsNoFault(const QString& archive)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive});
    return unzip.waitForFinished(120000) && unzip.exitCode() == 0;
}

} // namespace

class WorkbookFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    void compareWithLibrary(const std::vector<Cell>& cells, const std::vector<int>& fitted)
    {
        const QString ours = dir_.filePath(QStringLiteral("ours.xlsx"));
        const QString library = dir_.filePath(QStringLiteral("library.xlsx"));
        XlsxWorkbook workbook;
        for (const Cell& cell : cells)
            workbook.setCell(cell.row, cell.column, cell.text);
        for (const int column : fitted)
            workbook.autofitColumn(column);
        workbook.saveReplacing(ours);
        writeWithLibrary(library, cells);

        QVERIFY(unzipFindsNoFault(ours));
        const QStringList parts = partsOf(library);
        QCOMPARE(partsOf(ours), parts);
        for (const QString& part : parts)
            QCOMPARE(withoutWidths(zipPart(ours, part)), withoutWidths(zipPart(library, part)));
        // The widths themselves are the window tests' concern: here, that they are there.
        QCOMPARE(zipPart(ours, QStringLiteral("xl/worksheets/sheet1.xml")).count("<col "),
                 qsizetype(fitted.size()));
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("unzip is not installed (scripts/setup.sh installs it)");
    }

    // The rows are written here, not by the library, and come out as the library writes them:
    // escapes, kept blanks, far columns, gaps, and a NUL that ends a text.
    void theWorkbookIsTheLibrarysByteForByte()
    {
        const QString longest(32767, u'x');
        const std::vector<Cell> cells = {
            {1, 1, QStringLiteral("Filename")},
            {1, 2, QStringLiteral("File Size")},
            {2, 1, QStringLiteral("/data/a&b <c> \"d\" 'e'.txt")},
            {2, 2, QStringLiteral("12.5 KB")},
            {3, 1, QStringLiteral(" leading")},
            {3, 2, QStringLiteral("trailing\t")},
            {3, 3, QStringLiteral("\nline\n")},
            {4, 1, QString::fromUtf8("ctl\x01\x0b\x0c\x1f\x7f\r\nend")},
            {4, 26, QStringLiteral("Z")},
            {4, 27, QStringLiteral("AA")},
            {4, 703, QStringLiteral("AAA")},
            {5, 1, QString::fromUtf8("\r starts with an escape")},
            {9, 2, QString::fromUtf8("caf\xc3\xa9 \xf0\x9f\x98\x80 _x004_ _y0041_ x0041_")},
            {10, 1, QStringLiteral("nul") + QChar(0) + QStringLiteral("gone")},
            {11, 1, QChar(0) + QStringLiteral("all gone")},
            {12, 3, longest},
            {kSheetRows, kSheetColumns, QStringLiteral("last")},
        };
        compareWithLibrary(cells, {});
        compareWithLibrary(cells, {1, 3});
        compareWithLibrary({{3, 2, QStringLiteral("one")}}, {});
        compareWithLibrary({}, {});
    }

    // A text that holds what reads as an escape keeps it: written as it stood, a name with
    // "_x0001_" in it came back from the spreadsheet program with a control character instead.
    void aTextThatReadsAsAnEscapeStaysItself()
    {
        const QString file = dir_.filePath(QStringLiteral("escapes.xlsx"));
        XlsxWorkbook workbook;
        workbook.setCell(1, 1, QStringLiteral("/data/report_x0041_.txt"));
        workbook.setCell(1, 2, QStringLiteral("_x00e9__X0041__x0001_"));
        workbook.setCell(2, 1, QString::fromUtf8("\x01_x0001_"));
        workbook.saveReplacing(file);
        const QByteArray sheet = zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains("<t>/data/report_x005F_x0041_.txt</t>"));
        // "_X" is no escape; two escapes side by side are each kept.
        QVERIFY(sheet.contains("<t>_x005F_x00e9__X0041__x005F_x0001_</t>"));
        QVERIFY(sheet.contains("<t>_x0001__x005F_x0001_</t>"));
    }

    // A cell past the application's limit fails the save, as the library would; one at the
    // limit, counted in characters and not bytes, is kept.
    void aCellPastTheLimitFailsTheSave()
    {
        const QString file = dir_.filePath(QStringLiteral("limit.xlsx"));
        QString faces;
        for (int i = 0; i < 32767; ++i)
            faces += QString::fromUtf8("\xf0\x9f\x98\x80");
        {
            XlsxWorkbook workbook;
            workbook.setCell(1, 1, faces);
            workbook.saveReplacing(file);
            QCOMPARE(
                zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml")).count("\xf0\x9f\x98\x80"),
                32767);
        }
        XlsxWorkbook workbook;
        workbook.setCell(1, 1, QStringLiteral("kept"));
        workbook.setCell(2, 1, QString(32768, u'x'));
        workbook.setCell(3, 1, QStringLiteral("after"));
        try {
            workbook.saveReplacing(file);
            QFAIL("a cell of 32,768 characters was saved");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(RuntimeError::PathFileAccess));
            QCOMPARE(error.description(), QStringLiteral("Path/File access error (String exceeds "
                                                         "Excel's limit of 32,767 characters.)"));
        }
        // The failed save left the workbook before it as it was.
        QVERIFY(
            zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml")).contains("\xf0\x9f\x98\x80"));
    }

    // An entry of more than 4 GiB is written as zip64, which readers take; the parts around it
    // keep their small records. Its content is one deflated MiB of zeros laid 4,097 times over:
    // each part stands alone, so together they are one stream.
    void anEntryPastFourGibibytesTurnsToZip64()
    {
        const QString small = dir_.filePath(QStringLiteral("small.xlsx"));
        writeWithLibrary(small, {});
        QFile smallFile(small);
        QVERIFY(smallFile.open(QIODevice::ReadOnly));
        const ZipArchive archive(smallFile.readAll().toStdString());

        const std::string zeros(1 << 20, '\0');
        std::string packedZeros;
        DeflatePart zerosPart(1, DeflatePart::Ends::Open);
        zerosPart.add(zeros, packedZeros);
        zerosPart.end(packedZeros);
        std::string packedEnd;
        DeflatePart endPart(1, DeflatePart::Ends::Last);
        endPart.add("end", packedEnd);
        endPart.end(packedEnd);

        constexpr int kTimes = 4097;
        DeflatedContent content;
        content.crc = 0;
        for (int i = 0; i < kTimes; ++i) {
            content.pieces.push_back({packedZeros});
            content.crc = DeflatePart::combinedCrc(content.crc, zerosPart.crc(), zeros.size());
            content.plainSize += zeros.size();
        }
        content.pieces.push_back({packedEnd});
        content.crc = DeflatePart::combinedCrc(content.crc, endPart.crc(), 3);
        content.plainSize += 3;
        QVERIFY(content.plainSize > 0xffffffffu);

        const QString large = dir_.filePath(QStringLiteral("large.xlsx"));
        const UniqueFd out(::open(QFile::encodeName(large).constData(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        QVERIFY(out);
        archive.writeReplacing(out.get(), "xl/worksheets/sheet1.xml", content);

        QProcess python;
        python.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             // The local header must agree too: a reader that streams has nothing else.
             QStringLiteral(
                 "import struct, sys, zipfile\n"
                 "z = zipfile.ZipFile(sys.argv[1])\n"
                 "i = z.getinfo('xl/worksheets/sheet1.xml')\n"
                 "f = open(sys.argv[1], 'rb')\n"
                 "f.seek(i.header_offset)\n"
                 "h = struct.unpack('<IHHHHHIIIHH', f.read(30))\n"
                 "f.read(h[9])\n"
                 "e = struct.unpack('<HHQQ', f.read(h[10]))\n"
                 "local = e[0] == 1 and e[2:] == (i.file_size, i.compress_size)\n"
                 "print(i.file_size, local, z.testzip(), len(z.read('xl/workbook.xml')))\n"),
             large});
        QVERIFY(python.waitForFinished(300000));
        QCOMPARE(python.readAllStandardError(), QByteArray());
        QCOMPARE(python.readAllStandardOutput().trimmed(),
                 QByteArray::number(qulonglong(content.plainSize)) + " True None " +
                     QByteArray::number(zipPart(small, QStringLiteral("xl/workbook.xml")).size()));
    }
};

BYTEMARSH_LOGIC_TEST_MAIN(WorkbookFileTest)
#include "test_workbook_file.moc"
