#include "platform/xlsx_workbook.h"

#include "base/runtime_error.h"
#include "platform/file_system.h"
#include "platform/text_output_file.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

constexpr double kMaxWidth = 255;

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

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
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

} // namespace

void XlsxWorkbook::setCell(int row, int column, const QString& text)
{
    if (row < 1 || row > kSheetRows || column < 1 || column > kSheetColumns) throw sheetError();
    cells_[{row, column}] = text;
}

double XlsxWorkbook::fittedWidth(int column) const
{
    qsizetype longest = 0;
    for (const auto& [at, text] : cells_)
        if (at.second == column) longest = std::max(longest, visibleLength(text));
    return widthForLength(longest);
}

void XlsxWorkbook::autofitColumn(int column)
{
    if (column < 1 || column > kSheetColumns) throw sheetError();
    const bool hasContent = std::any_of(cells_.begin(), cells_.end(), [&](const auto& cell) {
        return cell.first.second == column && !cell.second.isEmpty();
    });
    if (hasContent)
        widths_[column] = fittedWidth(column);
    else
        widths_.erase(column);
}

void XlsxWorkbook::autofitAllColumns()
{
    std::map<int, qsizetype> longest;
    for (const auto& [at, text] : cells_)
        if (!text.isEmpty()) {
            qsizetype& length = longest[at.second];
            length = std::max(length, visibleLength(text));
        }
    widths_.clear();
    for (const auto& [column, length] : longest)
        widths_[column] = widthForLength(length);
}

void XlsxWorkbook::save(const QString& path) const
{
    saveAs(FileSystem::nativePath(path).constData());
}

void XlsxWorkbook::saveReplacing(const QString& path) const
{
    TextOutputFile file;
    file.open(path);
    writeInto(file);
    file.close();
}

void XlsxWorkbook::writeInto(TextOutputFile& file) const
{
    file.fillThroughName([this](const char* name) { saveAs(name); });
}

void XlsxWorkbook::saveAs(const char* nativePath) const
{
    const QuietStandardError quiet;
    lxw_workbook* workbook = workbook_new(nativePath);
    if (!workbook) throw writeError(LXW_ERROR_CREATING_XLSX_FILE);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (auto cell = cells_.begin(); error == LXW_NO_ERROR && cell != cells_.end(); ++cell)
        error = worksheet_write_string(sheet, lxw_row_t(cell->first.first - 1),
                                       lxw_col_t(cell->first.second - 1),
                                       utf8(cell->second).constData(), nullptr);
    for (auto width = widths_.begin(); error == LXW_NO_ERROR && width != widths_.end(); ++width)
        error = worksheet_set_column(sheet, lxw_col_t(width->first - 1),
                                     lxw_col_t(width->first - 1), width->second, nullptr);
    // Closing frees the workbook whatever happened before, and writes it when all went well.
    const lxw_error closed = workbook_close(workbook);
    if (error == LXW_NO_ERROR) error = closed;
    if (error != LXW_NO_ERROR) throw writeError(error);
}
