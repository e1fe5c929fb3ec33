#include "platform/xlsx_workbook.h"

#include "base/runtime_error.h"
#include "platform/save_steps.h"
#include "platform/sheet_rows.h"
#include "platform/text_output_file.h"
#include "platform/zip_archive.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

constexpr double kMaxWidth = 255;
// The rows are most of a workbook. At zlib's fastest level they shrink to a twelfth, against
// the default level's thirteenth, in less than half its time.
constexpr int kRowsLevel = 1;
constexpr std::string_view kSheetPart = "xl/worksheets/sheet1.xml";
constexpr qsizetype kMaxCellCharacters = 32767;

RuntimeError sheetError()
{
    return {RuntimeError::ApplicationDefined,
            QStringLiteral("Application-defined or object-defined error")};
}

// Characters as a reader counts them: a pair of surrogates is one.
qsizetype visibleLength(const QString& text)
{
    qsizetype length = 0;
    for (const QChar c : text)
        if (!c.isLowSurrogate()) ++length;
    return length;
}

// A fitted column leaves a little room on either side, as the application does.
double widthForLength(qsizetype characters)
{
    return std::min(kMaxWidth, double(characters) * 1.1 + 1.0);
}

// The library prints its own account of a failure on standard error. The error it answers is
// reported the way the program reports every error, so while it writes, its account goes
// nowhere.
class QuietStandardError
{
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStandardError()
    {
        std::fflush(stderr);
        if (saved_ < 0) return;
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

RuntimeError writeError(lxw_error error)
{
    return {
        RuntimeError::PathFileAccess,
        QStringLiteral("Path/File access error (%1)").arg(QString::fromUtf8(lxw_strerror(error)))};
}

// The rows wait on disk, in the user's temporary folder, not in memory: a tmpfs runtime folder
// would hold them in memory all the same.
QByteArray temporaryFolder()
{
    return QFile::encodeName(QDir::tempPath());
}

UniqueFd scratchFile()
{
    UniqueFd file = unnamedFileIn(temporaryFolder().constData());
    return file ? std::move(file) : unnamedPrivateFile();
}

// Characters as the application counts them in a cell's limit: code points.
qsizetype codePoints(std::string_view utf8)
{
    return std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xc0) != 0x80; });
}

// The sheet the library wrote without rows, cut where the rows go: before, with the
// dimension the rows give it, and after. A sheet not as expected fails the save rather than
// make a damaged workbook.
std::pair<std::string, std::string> aroundRows(std::string sheet, const std::string& dimension)
{
    constexpr std::string_view kNoDimension = R"(<dimension ref="A1"/>)";
    constexpr std::string_view kNoRows = "<sheetData/>";
    const std::size_t dimensionAt = sheet.find(kNoDimension);
    const std::size_t rowsAt = sheet.find(kNoRows);
    if (dimensionAt == std::string::npos || rowsAt == std::string::npos || rowsAt < dimensionAt)
        throw RuntimeError::pathFileAccess();
    std::string after = "</sheetData>" + sheet.substr(rowsAt + kNoRows.size());
    sheet.resize(rowsAt);
    sheet += "<sheetData>";
    sheet.replace(dimensionAt, kNoDimension.size(), R"(<dimension ref=")" + dimension + R"("/>)");
    return {std::move(sheet), std::move(after)};
}

} // namespace

XlsxWorkbook::XlsxWorkbook() = default;

XlsxWorkbook::~XlsxWorkbook()
{
    // A workbook never saved is dropped unwritten.
    if (workbook_ && !finished_) lxw_workbook_free(workbook_);
}

void XlsxWorkbook::start()
{
    if (workbook_) return;
    const QByteArray folder = temporaryFolder();
    libraryBook_ = scratchFile();
    rows_ = std::make_unique<SheetRows>(scratchFile(), scratchFile(), kRowsLevel);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(folder.constData());
    const QuietStandardError quiet;
    // The library names the file now and writes it only when it is closed, through this name,
    // into the unnamed file.
    workbook_ = workbook_new_opt(ProcPath(libraryBook_.get()).text, &options);
    if (!workbook_) throw writeError(LXW_ERROR_CREATING_XLSX_FILE);
    sheet_ = workbook_add_worksheet(workbook_, nullptr);
    if (!sheet_) error_ = LXW_ERROR_CREATING_TMPFILE;
}

void XlsxWorkbook::setCell(int row, int column, const QString& text)
{
    if (row < 1 || row > kSheetRows || column < 1 || column > kSheetColumns) throw sheetError();
    if (finished_ || row < row_) throw sheetError();
    start();
    if (row > row_) {
        writeRow();
        row_ = row;
    }
    const auto at = std::lower_bound(rowCells_.begin(), rowCells_.end(), column,
                                     [](const auto& cell, int c) { return cell.first < c; });
    if (at != rowCells_.end() && at->first == column)
        at->second = text;
    else
        rowCells_.emplace(at, column, text);
}

const QString* XlsxWorkbook::filling(int column) const
{
    for (const auto& [at, text] : rowCells_)
        if (at == column) return &text;
    return nullptr;
}

// The row being filled is written out once the next one starts. A text holding a NUL ends
// there, as a C string would.
void XlsxWorkbook::writeRow()
{
    for (const auto& [column, text] : rowCells_) {
        if (text.isEmpty()) continue;
        qsizetype& longest = longest_[column];
        longest = std::max(longest, visibleLength(text));
        if (error_ != 0) continue;
        const QByteArray utf8 = text.toUtf8();
        const std::string_view cell(utf8.constData(), qstrnlen(utf8.constData(), utf8.size()));
        if (cell.empty()) continue;
        if (codePoints(cell) > kMaxCellCharacters)
            error_ = LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED;
        else
            rows_->addCell(row_, column, cell);
    }
    rowCells_.clear();
}

qsizetype XlsxWorkbook::longestIn(int column) const
{
    qsizetype longest = 0;
    if (const auto written = longest_.find(column); written != longest_.end())
        longest = written->second;
    if (const QString* text = filling(column)) longest = std::max(longest, visibleLength(*text));
    return longest;
}

void XlsxWorkbook::autofitColumn(int column)
{
    if (column < 1 || column > kSheetColumns) throw sheetError();
    const qsizetype longest = longestIn(column);
    if (longest > 0)
        widths_[column] = widthForLength(longest);
    else
        widths_.erase(column);
}

void XlsxWorkbook::autofitAllColumns()
{
    widths_.clear();
    for (const auto& [column, longest] : longest_)
        widths_[column] = widthForLength(longestIn(column));
    for (const auto& [column, text] : rowCells_)
        if (!text.isEmpty()) widths_[column] = widthForLength(longestIn(column));
}

// Closes the library's workbook, which writes it whole into its unnamed file, then puts the
// rows in its sheet. Once.
void XlsxWorkbook::finish()
{
    if (finished_) return;
    start();
    writeRow();
    const QuietStandardError quiet;
    for (auto width = widths_.begin(); error_ == 0 && width != widths_.end(); ++width)
        error_ = worksheet_set_column(sheet_, lxw_col_t(width->first - 1),
                                      lxw_col_t(width->first - 1), width->second, nullptr);
    // Closing frees the workbook whatever happened before, and writes it when all went well.
    const lxw_error closed = workbook_close(workbook_);
    finished_ = true;
    if (error_ == 0) error_ = closed;
    if (error_ != 0) return;
    try {
        packRows();
    } catch (const RuntimeError&) {
        failure_ = std::current_exception();
    }
}

// The library's sheet keeps what it has before and after the rows; the rows go between.
void XlsxWorkbook::packRows()
{
    rows_->end();
    if (rows_->empty()) {
        book_ = std::move(libraryBook_);
        return;
    }
    const ZipArchive package(wholeContent(libraryBook_.get()));
    const auto [before, after] = aroundRows(package.content(kSheetPart), rows_->dimension());
    book_ = scratchFile();
    package.writeReplacing(book_.get(), kSheetPart, rows_->within(before, after));
}

void XlsxWorkbook::copyBookTo(const char* nativePath) const
{
    if (error_ != 0) throw writeError(lxw_error(error_));
    if (failure_) std::rethrow_exception(failure_);
    struct stat info = {};
    if (::fstat(book_.get(), &info) != 0) throw RuntimeError::fromErrno(errno);
    const UniqueFd out(::open(nativePath, O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    if (!out) throw RuntimeError::fromErrno(errno);
    copyBytes(book_.get(), out.get(), info.st_size);
}

void XlsxWorkbook::saveReplacing(const QString& path)
{
    TextOutputFile file;
    file.open(path);
    writeInto(file);
    file.close();
}

void XlsxWorkbook::writeInto(TextOutputFile& file)
{
    finish();
    file.fillThroughName([this](const char* name) { copyBookTo(name); });
}
