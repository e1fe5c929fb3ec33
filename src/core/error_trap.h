#pragma once

#include <QString>
#include <exception>

class Dialogs;
class RowList;

// What one failed statement reports: the error (its number, 0 for an error that carries none,
// and its description) and where it happened.
struct ErrorReport
{
    int number = 0;
    QString description;
    QString project;
    QString module;
    QString procedure;
    int line = 0;
    QString subject; // the row the statement worked on, as the lists show it; empty: none
};

// Builds and shows the standard error report. Within one command run, from the second report
// on, the box offers to show no more of that run's reports; the run's closing box then says how
// many went unshown.
class ErrorReporter
{
public:
    static constexpr auto kSupportAddress = "support@bytemarsh.example.com";
    static constexpr auto kMainProject = "Meterkin2021/08/31";
    static constexpr auto kReportNoMore = "Report no more errors of this run";

    explicit ErrorReporter(Dialogs& dialogs) : dialogs_(&dialogs) {}
    virtual ~ErrorReporter() = default;

    static QString reportText(const QString& description, const QString& project,
                              const QString& module, const QString& procedure, int line);
    // Shows the report in its box; a program without a window says it otherwise.
    virtual void report(const ErrorReport& report);

    // The outermost command's run begins or ends; nested runs belong to it. At its end, reports
    // not shown and not yet told are told in a box of their own.
    void runBegan();
    void runEnded();
    // `text` of the box that closes a run, followed by how many reports were not shown, which
    // are then told.
    QString closingText(const QString& text);

protected:
    // A reporter with no boxes to show, which says every report its own way (overrides report).
    ErrorReporter() = default;

private:
    QString untoldText();

    Dialogs* dialogs_ = nullptr;
    int runDepth_ = 0;
    int reportsThisRun_ = 0;
    int untold_ = 0; // reports the user chose not to see, not yet told
    bool silenced_ = false;
};

// Where a procedure's reports say they arose: its module (or window) and its own name.
struct ReportLocation
{
    const char* module;
    const char* procedure;
};

// Runs a procedure's numbered statements: a statement that fails is reported once with its
// line number and the procedure goes on with the next statement.
//
//     ErrorTrap trap(errors, Handler::PushButton4_Click);
//     if (trap.test(104, [&] { return list.count() <= 0; })) { ... }
//     trap.line(130, [&] { ... });
class ErrorTrap
{
public:
    ErrorTrap(ErrorReporter& reporter, QString module, QString procedure,
              QString project = QString::fromLatin1(ErrorReporter::kMainProject));
    ErrorTrap(ErrorReporter& reporter, const ReportLocation& where)
        : ErrorTrap(reporter, QString::fromLatin1(where.module),
                    QString::fromLatin1(where.procedure))
    {
    }

    // Names `row` of `list` in the reports of the statements run while it lasts.
    //
    //     const ErrorTrap::OnRow onRow(trap, files, i);
    class OnRow
    {
    public:
        OnRow(ErrorTrap& trap, const RowList& list, int row) : trap_(trap)
        {
            trap.rowList_ = &list;
            trap.row_ = row;
        }
        ~OnRow() { trap_.rowList_ = nullptr; }
        OnRow(const OnRow&) = delete;
        OnRow& operator=(const OnRow&) = delete;

    private:
        ErrorTrap& trap_;
    };

    // Runs one statement. Returns false when it failed (after reporting it).
    template <typename Statement> bool line(int number, Statement&& statement)
    {
        line_ = number;
        try {
            statement();
            return true;
        } catch (const std::exception& error) {
            report(error);
            return false;
        }
    }

    // Evaluates a condition. When evaluating it fails, the failure is reported and the answer
    // is true, so the first statement the condition governs still runs.
    template <typename Condition> bool test(int number, Condition&& condition)
    {
        line_ = number;
        try {
            return condition();
        } catch (const std::exception& error) {
            report(error);
            return true;
        }
    }

private:
    void report(const std::exception& error);
    QString rowText() const;

    ErrorReporter& reporter_;
    QString module_;
    QString procedure_;
    QString project_;
    int line_ = 0;
    const RowList* rowList_ = nullptr;
    int row_ = 0;
};
