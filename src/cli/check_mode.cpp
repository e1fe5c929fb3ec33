#include "cli/check_mode.h"

#include "adding/drop_files.h"
#include "adding/file_to_listview1.h"
#include "base/runtime_error.h"
#include "cli/check_arguments.h"
#include "cli/check_progress.h"
#include "cli/check_reports.h"
#include "cli/standard_streams.h"
#include "core/command_context.h"
#include "core/error_trap.h"
#include "core/results_columns.h"
#include "core/sizes_ahead.h"
#include "core/window_pointer.h"
#include "desktop/command_line.h"
#include "lists/row_list.h"
#include "output/clipboard_copy.h"
#include "output/spreadsheet_export.h"
#include "output/text_export.h"
#include "platform/file_system.h"
#include "platform/xlsx_workbook.h"

#include <QCoreApplication>
#include <csignal>
#include <string>
#include <string_view>

namespace {

// What a closed pipe ends a program with, by the shell's count (128 + SIGPIPE).
constexpr int kReaderGoneStatus = 128 + SIGPIPE;

// No window, so no pointer to show; the commands still set it.
class NoWindowPointer : public WindowPointer
{
public:
    PointerSetting mousePointer() const override { return setting_; }
    void setMousePointer(PointerSetting setting) override { setting_ = setting; }

private:
    PointerSetting setting_ = PointerSetting::Default;
};

std::string_view bytesOf(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// One run: the rows gathered in the order given, each sized and written to standard output as
// soon as its size is known, then the files asked for.
class CheckRun
{
public:
    explicit CheckRun(const CheckArguments& arguments)
        : arguments_(arguments), progress_(errorStream_, rows_),
          events_(progress_), context_{pointer_, dialogs_, errors_, events_}
    {
        rows_.addColumn(ResultsColumns::filename());
        rows_.addColumn(ResultsColumns::fileSize());
    }

    int run()
    {
        ErrorTrap trap(errors_, QStringLiteral("CheckRun"), QStringLiteral("run"));
        gather(trap);
        const bool filesWanted = !arguments_.textFile.isEmpty() || !arguments_.xlsxFile.isEmpty();
        sizeAndWrite(trap, filesWanted);
        progress_.clear();
        if (output_.readerGone() && !filesWanted) return kReaderGoneStatus;
        if (!arguments_.textFile.isEmpty()) saveText(trap);
        if (!arguments_.xlsxFile.isEmpty()) saveWorkbook(trap);
        output_.flush();
        dialogs_.setSubject("standard output");
        trap.line(108, [&] {
            if (output_.error() != 0) throw RuntimeError::fromErrno(output_.error());
        });
        return dialogs_.said() == 0 ? 0 : 1;
    }

private:
    void gather(ErrorTrap& trap)
    {
        for (const CheckArguments::Input& input : arguments_.inputs) {
            using Kind = CheckArguments::Input::Kind;
            switch (input.kind) {
            case Kind::Path:
                dialogs_.setSubject(bytesOf(input.name));
                DropFiles::addDroppedItems(rows_, {input.name}, errors_, events_,
                                           arguments_.pattern);
                break;
            case Kind::List:
                dialogs_.setSubject(bytesOf(input.name));
                trap.line(100, [&] {
                    FileToListview1::LoadListFile(rows_, QString::fromUtf8(input.name), dialogs_,
                                                  events_);
                });
                break;
            case Kind::StandardInput:
                dialogs_.setSubject("standard input");
                trap.line(102, [&] {
                    FileSystem::SequentialFile in = FileSystem::SequentialFile::standardInput();
                    FileToListview1::LoadListLines(rows_, in, QStringLiteral("standard input"),
                                                   dialogs_, events_);
                });
                break;
            }
        }
    }

    // The columns are measured before the sizes are known: the last column's padding never
    // outlives the blanks dropped at a line's end, so each line is the clipboard's line and can
    // go out as soon as its row is sized. The sizes are on their way meanwhile.
    void sizeAndWrite(ErrorTrap& trap, bool filesWanted)
    {
        const int last = rows_.count();
        progress_.startChecking();
        SizesAhead sizes(rows_, last, events_);
        const std::vector<qsizetype> widths = ClipboardColumnWidths(rows_, last, events_);
        std::string line;
        for (int i = 1; i <= last; ++i) {
            const std::string_view path = rows_.textUtf8(i); // pinned by sizes
            dialogs_.setSubject(path);
            trap.line(104, [&] {
                const auto size = double(lengthFrom(sizes.of(i, path)));
                rows_.setSubItem(i, 1, ConvertUnitTo(arguments_.unit, size));
            });
            line.clear();
            AppendClipboardLine(line, rows_, i, widths, events_);
            line += '\n';
            output_.write(line);
            progress_.setChecked(i);
            // Nobody reads on and nothing else is wanted: the rest would be for nothing.
            if (output_.readerGone() && !filesWanted) break;
        }
        dialogs_.clearSubject();
    }

    void saveText(ErrorTrap& trap)
    {
        const QByteArray name = arguments_.textFile.toUtf8();
        dialogs_.setSubject(bytesOf(name));
        WriteResultsText(rows_, arguments_.textFile, trap, context_);
        dialogs_.clearSubject();
    }

    // Every row counts: without a window nobody ticks any.
    void saveWorkbook(ErrorTrap& trap)
    {
        const QByteArray name = arguments_.xlsxFile.toUtf8();
        dialogs_.setSubject(bytesOf(name));
        for (int i = 1; i <= rows_.count(); ++i)
            rows_.setChecked(i, true);
        XlsxWorkbook workbook;
        WriteResultsSheet(rows_, &workbook, trap, context_);
        trap.line(106, [&] { workbook.saveReplacing(arguments_.xlsxFile); });
        dialogs_.clearSubject();
    }

    const CheckArguments& arguments_;
    StandardError errorStream_;
    StandardOutput output_{errorStream_};
    StandardErrorDialogs dialogs_{errorStream_};
    StandardErrorReporter errors_{dialogs_};
    RowList rows_{2, true};
    CheckProgress progress_;
    CheckEventPump events_;
    NoWindowPointer pointer_;
    CommandContext context_;
};

} // namespace

int RunCheckMode(int argc, char** argv)
{
    // A closed standard output is seen as a failed write, so the files asked for still go out.
    std::signal(SIGPIPE, SIG_IGN);
    int applicationArgc = 1; // the toolkit reads none of these arguments
    const QCoreApplication application(applicationArgc, argv);

    const CheckArguments arguments =
        CheckArguments::parse(CommandLine::fromArgv(argc, argv), CommandLine::currentFolder());
    switch (arguments.action) {
    case CheckArguments::Action::ShowHelp: {
        StandardError errors;
        StandardOutput output(errors);
        output.write(CommandLine::usage().toStdString());
        return 0;
    }
    case CheckArguments::Action::Refuse: {
        StandardError errors;
        errors.line(QStringLiteral("bytemarsh: %1").arg(arguments.error).toStdString());
        const std::string usage = CommandLine::usage().toStdString();
        errors.line(std::string_view(usage).substr(0, usage.size() - 1));
        return 2;
    }
    case CheckArguments::Action::Check:
        break;
    }
    return CheckRun(arguments).run();
}
