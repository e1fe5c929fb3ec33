#include "cli/check_run.h"

#include "adding/drop_files.h"
#include "adding/file_to_listview1.h"
#include "base/runtime_error.h"
#include "cli/check_arguments.h"
#include "cli/standard_streams.h"
#include "cli/terminal_text.h"
#include "core/error_trap.h"
#include "core/results_columns.h"
#include "core/sizes_ahead.h"
#include "output/clipboard_copy.h"
#include "output/spreadsheet_export.h"
#include "output/text_export.h"
#include "platform/file_system.h"
#include "platform/xlsx_workbook.h"

#include <csignal>
#include <string_view>

namespace {

// What a closed pipe ends a program with, by the shell's count (128 + SIGPIPE).
constexpr int kReaderGoneStatus = 128 + SIGPIPE;
// What Ctrl-C ends a program with, by the same count.
constexpr int kInterruptedStatus = 128 + SIGINT;

EventPump* interruptedRun = nullptr;

void stopOnInterrupt(int)
{
    if (interruptedRun) interruptedRun->requestStop();
}

// For the life of one run, Ctrl-C stops it at its next round. The handler goes on the way in
// (SA_RESETHAND), so a second Ctrl-C ends the program at once, as SIGTERM always does.
class InterruptStops
{
public:
    explicit InterruptStops(EventPump& run)
    {
        interruptedRun = &run;
        struct sigaction stop = {};
        stop.sa_handler = stopOnInterrupt;
        stop.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&stop.sa_mask);
        ::sigaction(SIGINT, &stop, &before_);
    }
    ~InterruptStops()
    {
        ::sigaction(SIGINT, &before_, nullptr);
        interruptedRun = nullptr;
    }
    InterruptStops(const InterruptStops&) = delete;
    InterruptStops& operator=(const InterruptStops&) = delete;

private:
    struct sigaction before_ = {};
};

std::string_view bytesOf(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

CheckRun::CheckRun(const CheckArguments& arguments, StandardError& errors, StandardOutput& output)
    : arguments_(arguments), output_(output), messages_(errors), progress_(errors, rows_),
      events_(progress_),
      filesWanted_(!arguments.textFile.isEmpty() || !arguments.xlsxFile.isEmpty())
{
    rows_.addColumn(ResultsColumns::filename());
    rows_.addColumn(ResultsColumns::fileSize());
}

int CheckRun::run()
{
    const InterruptStops interrupt(events_);
    try {
        return runSteps();
    } catch (const CommandStopped&) {
        // The lines written so far stay; the files asked for were never put in place.
        progress_.clear();
        output_.flush();
        return kInterruptedStatus;
    }
}

int CheckRun::runSteps()
{
    ErrorTrap trap(messages_, QStringLiteral("CheckRun"), QStringLiteral("run"));
    gather(trap);
    sizeAndWrite(trap);
    progress_.clear();
    if (output_.readerGone() && !filesWanted_) return kReaderGoneStatus;
    if (!arguments_.textFile.isEmpty()) saveText(trap);
    if (!arguments_.xlsxFile.isEmpty()) saveWorkbook(trap);
    output_.flush();
    messages_.setSubject("standard output");
    trap.line(108, [&] {
        if (output_.error() != 0) throw RuntimeError::fromErrno(output_.error());
    });
    return messages_.errored() ? 1 : 0;
}

void CheckRun::gather(ErrorTrap& trap)
{
    // Lists from find or printf end in a line feed, which makes no row of its own here; with
    // --null they hold names that end in NUL.
    const ListFileLines::RowEnds listEnds =
        arguments_.nullEnds ? ListFileLines::RowEnds::Nul : ListFileLines::RowEnds::Lines;
    for (const CheckArguments::Input& input : arguments_.inputs) {
        using Kind = CheckArguments::Input::Kind;
        switch (input.kind) {
        case Kind::Path: {
            messages_.setSubject(bytesOf(input.name));
            // Unlike the window, the run says which folders it could not read, as du does.
            const auto unreadable = [&](std::string_view folder, int error) {
                const RuntimeError failure = RuntimeError::fromErrno(error);
                ErrorReport said;
                said.number = failure.number();
                said.description = failure.description();
                messages_.setSubject(folder);
                messages_.report(said);
                messages_.setSubject(bytesOf(input.name));
            };
            DropFiles::addDroppedItems(rows_, {input.name}, messages_, events_, arguments_.pattern,
                                       unreadable);
            break;
        }
        case Kind::List:
            messages_.setSubject(bytesOf(input.name));
            trap.line(100, [&] {
                FileToListview1::LoadListFile(rows_, QString::fromUtf8(input.name), messages_,
                                              events_, listEnds);
            });
            break;
        case Kind::StandardInput:
            messages_.setSubject("standard input");
            trap.line(102, [&] {
                FileSystem::SequentialFile in = FileSystem::SequentialFile::standardInput();
                FileToListview1::LoadListLines(rows_, in, QStringLiteral("standard input"),
                                               messages_, events_, listEnds);
            });
            break;
        }
    }
}

// The columns are measured before the sizes are known: the last column's padding never outlives
// the blanks dropped at a line's end, so each line is the clipboard's line and can go out as
// soon as its row is sized. The sizes are on their way meanwhile.
void CheckRun::sizeAndWrite(ErrorTrap& trap)
{
    const int last = rows_.count();
    progress_.startChecking();
    SizesAhead sizes(rows_, last, events_);
    widths_ = ClipboardColumnWidths(rows_, last, events_);
    // One numbered statement a row: the steps that cannot fail here share it.
    SizeRows(rows_, last, sizes, rows_, trap, {104, 104, 104, 104}, *this);
    messages_.clearSubject();
}

int CheckRun::targetRow(int i, std::string_view path)
{
    messages_.setSubject(path); // pinned by the sizes
    return i;
}

short CheckRun::unit()
{
    return arguments_.unit;
}

bool CheckRun::rowDone(int i, int)
{
    line_.clear();
    AppendClipboardLine(line_, rows_, i, widths_, events_);
    if (output_.isTerminal()) {
        // The path leads the line; only a name that would not show as itself changes.
        const std::string_view path = rows_.textUtf8(i);
        std::string shown = terminalName(path);
        if (shown.size() != path.size()) line_.replace(0, path.size(), shown);
    }
    line_ += arguments_.nullEnds ? '\0' : '\n';
    output_.write(line_);
    progress_.setChecked(i);
    // Nobody reads on and nothing else is wanted: the rest would be for nothing.
    return !(output_.readerGone() && !filesWanted_);
}

void CheckRun::saveText(ErrorTrap& trap)
{
    const QByteArray name = arguments_.textFile.toUtf8();
    messages_.setSubject(bytesOf(name));
    WriteResultsText(rows_, arguments_.textFile, trap, events_);
    messages_.clearSubject();
}

// Every row counts: without a window nobody ticks any.
void CheckRun::saveWorkbook(ErrorTrap& trap)
{
    const QByteArray name = arguments_.xlsxFile.toUtf8();
    messages_.setSubject(bytesOf(name));
    for (int i = 1; i <= rows_.count(); ++i)
        rows_.setChecked(i, true);
    XlsxWorkbook workbook;
    WriteResultsSheet(rows_, &workbook, trap, events_, messages_);
    trap.line(106, [&] { workbook.saveReplacing(arguments_.xlsxFile); });
    messages_.clearSubject();
}
