#include "platform/desktop_spreadsheet.h"

#include "platform/file_system.h"
#include "base/runtime_error.h"
#include "platform/shell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

constexpr auto kXlsxType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
constexpr double kMaxWidth = 255;

RuntimeError sheetError()
{
    return {RuntimeError::ApplicationDefined,
            QStringLiteral("Application-defined or object-defined error")};
}

// The window waits for the answer, so a desktop that is slow to give one counts as none.
constexpr int kQueryLimitMs = 1500;

// The desktop entry registered for a MIME type, or empty when none is or it cannot be asked.
QString registeredProgramFor(const QString& mimeType)
{
    QElapsedTimer clock;
    clock.start();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForStarted(kQueryLimitMs) ||
        !query.waitForFinished(std::max<int>(1, kQueryLimitMs - int(clock.elapsed())))) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
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

RuntimeError writeError(lxw_error error)
{
    return {
        RuntimeError::PathFileAccess,
        QStringLiteral("Path/File access error (%1)").arg(QString::fromUtf8(lxw_strerror(error)))};
}

} // namespace

SpreadsheetProgram findSpreadsheetProgram()
{
    if (!registeredProgramFor(QString::fromLatin1(kXlsxType)).isEmpty()) return {true, {}};
    for (const char* name : {"localc", "libreoffice", "soffice"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) return {true, path};
    }
    return {};
}

QString defaultWorkbookFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents;
    QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty()) cache = QDir::tempPath();
    QDir().mkpath(cache);
    return cache;
}

QString reserveWorkbookFile(const QString& folder)
{
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? QStringLiteral("Bytemarsh results.xlsx")
                                    : QStringLiteral("Bytemarsh results (%1).xlsx").arg(n);
        const QString path = QDir(folder).filePath(name);
        const int fd = ::open(FileSystem::nativePath(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno == EEXIST) continue;
        if (errno == ENOENT) throw RuntimeError::pathNotFound();
        throw RuntimeError::fromErrno(errno);
    }
    throw RuntimeError::pathFileAccess();
}

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
    lxw_workbook* workbook = workbook_new(FileSystem::nativePath(path).constData());
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

DesktopSpreadsheetApplication::DesktopSpreadsheetApplication(Shell& shell, QString folder,
                                                             SpreadsheetProgram program,
                                                             Starter start)
    : shell_(shell), folder_(std::move(folder)), program_(std::move(program)),
      start_(std::move(start))
{
}

SpreadsheetWorkbook& DesktopSpreadsheetApplication::addWorkbook()
{
    workbooks_.push_back(std::make_unique<XlsxWorkbook>());
    return *workbooks_.back();
}

void DesktopSpreadsheetApplication::setVisible(bool visible)
{
    if (!visible) return;
    // Each workbook is shown once; showing again only shows what was added since.
    while (shown_ < workbooks_.size())
        show(*workbooks_[shown_++]);
}

void DesktopSpreadsheetApplication::show(const XlsxWorkbook& workbook)
{
    const QString path = reserveWorkbookFile(folder_.isEmpty() ? defaultWorkbookFolder() : folder_);
    try {
        workbook.save(path);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    if (program_.executable.isEmpty()) {
        shell_.openUrl(QUrl::fromLocalFile(path).toString());
        return;
    }
    const bool started = start_ ? start_(program_.executable, {path})
                                : QProcess::startDetached(program_.executable, {path});
    if (!started) throw RuntimeError::fileNotFound();
}

DesktopSpreadsheetLauncher::DesktopSpreadsheetLauncher(Shell& shell, QString folder, Finder find,
                                                       DesktopSpreadsheetApplication::Starter start)
    : shell_(shell), folder_(std::move(folder)), find_(std::move(find)), start_(std::move(start))
{
}

void DesktopSpreadsheetLauncher::beginCommand()
{
    found_.reset();
}

std::unique_ptr<SpreadsheetApplication> DesktopSpreadsheetLauncher::create()
{
    if (!found_) found_ = find_ ? find_() : SpreadsheetProgram{};
    const SpreadsheetProgram program = *found_;
    if (!program.found)
        throw RuntimeError(RuntimeError::CannotCreateObject,
                            QStringLiteral("ActiveX component can't create object"));
    return std::make_unique<DesktopSpreadsheetApplication>(shell_, folder_, program, start_);
}
