#include "platform/desktop_spreadsheet.h"

#include "base/runtime_error.h"
#include "platform/file_system.h"
#include "platform/held_worker.h"
#include "platform/shell.h"
#include "platform/text_output_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto kXlsxType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
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
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents;
    return QDir::homePath();
}

QString freeWorkbookName(const QString& folder)
{
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? QStringLiteral("Bytemarsh results.xlsx")
                                    : QStringLiteral("Bytemarsh results (%1).xlsx").arg(n);
        QString path = QDir(folder).filePath(name);
        struct stat info = {};
        if (::lstat(FileSystem::nativePath(path).constData(), &info) == 0) continue;
        if (errno == ENOENT) return path;
        throw RuntimeError::fromErrno(errno);
    }
    throw RuntimeError::pathFileAccess();
}

DesktopSpreadsheetApplication::DesktopSpreadsheetApplication(Shell& shell, QString folder,
                                                             SpreadsheetProgram program,
                                                             Starter start, EventPump* events)
    : shell_(shell), folder_(std::move(folder)), program_(std::move(program)),
      start_(std::move(start)), events_(events)
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

void DesktopSpreadsheetApplication::show(XlsxWorkbook& workbook)
{
    const QString path = freeWorkbookName(folder_.isEmpty() ? defaultWorkbookFolder() : folder_);
    // Whole or not at all: the workbook waits unnamed and takes its name here, once written, so
    // a close or a stop while it is written leaves no file behind.
    TextOutputFile file;
    file.open(path);
    const auto write = [&] { workbook.writeInto(file); };
    if (events_)
        runHeldOnWorker(*events_, write);
    else
        write();
    file.close();
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
    return std::make_unique<DesktopSpreadsheetApplication>(shell_, folder_, program, start_,
                                                           events_);
}
