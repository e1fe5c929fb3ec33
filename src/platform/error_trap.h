#pragma once

#include <QString>
#include <functional>

class Dialogs;

// Builds and shows the standard error report.
class ErrorReporter
{
public:
    static constexpr auto kSupportAddress = "support@bytemarsh.example.com";
    static constexpr auto kMainProject = "Meterkin2021/08/31";

    explicit ErrorReporter(Dialogs& dialogs) : dialogs_(dialogs) {}

    static QString reportText(const QString& description, const QString& project,
                              const QString& module, const QString& procedure, int line);
    void report(const QString& description, const QString& project, const QString& module,
                const QString& procedure, int line);

private:
    Dialogs& dialogs_;
};

// Runs a procedure's numbered statements: a statement that fails is reported once with its
// line number and the procedure goes on with the next statement.
//
//     ErrorTrap trap(errors, "Form1", "PushButton4_Click");
//     if (trap.test(104, [&] { return list.count() <= 0; })) { ... }
//     trap.line(130, [&] { ... });
class ErrorTrap
{
public:
    ErrorTrap(ErrorReporter& reporter, QString module, QString procedure,
              QString project = QString::fromLatin1(ErrorReporter::kMainProject));

    // Runs one statement. Returns false when it failed (after reporting it).
    bool line(int number, const std::function<void()>& statement);

    // Evaluates a condition. When evaluating it fails, the failure is reported and the answer
    // is true, so the first statement the condition governs still runs.
    bool test(int number, const std::function<bool()>& condition);

    int lastLine() const { return line_; }

private:
    void reportCurrent(const QString& description);

    ErrorReporter& reporter_;
    QString module_;
    QString procedure_;
    QString project_;
    int line_ = 0;
};
