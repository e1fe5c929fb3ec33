#include "core/error_trap.h"

#include "base/runtime_error.h"
#include "lists/row_list.h"
#include "platform/dialogs.h"

#include <QLocale>
#include <exception>
#include <utility>

QString ErrorReporter::reportText(const QString& description, const QString& project,
                                  const QString& module, const QString& procedure, int line)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + project + u'.' + module +
           u'.' + procedure + u' ' + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") +
           QString::fromLatin1(kSupportAddress);
}

void ErrorReporter::report(const ErrorReport& report)
{
    if (silenced_) {
        ++untold_;
        return;
    }
    MessageBoxRequest box(reportText(report.description, report.project, report.module,
                                     report.procedure, report.line),
                          QStringLiteral("Application Error"), BoxIcon::Exclamation);
    box.details = report.subject;
    // Outside a command run every report stands alone.
    if (runDepth_ > 0 && ++reportsThisRun_ >= 2) box.checkBox = QString::fromLatin1(kReportNoMore);
    silenced_ = dialogs_->ask(box).ticked;
}

void ErrorReporter::runBegan()
{
    if (runDepth_++ > 0) return;
    reportsThisRun_ = 0;
    untold_ = 0;
    silenced_ = false;
}

void ErrorReporter::runEnded()
{
    if (--runDepth_ > 0) return;
    silenced_ = false;
    if (untold_ > 0) dialogs_->inform(untoldText());
}

QString ErrorReporter::closingText(const QString& text)
{
    if (untold_ == 0) return text;
    return text + QStringLiteral("\r\n\r\n") + untoldText();
}

QString ErrorReporter::untoldText()
{
    const int count = std::exchange(untold_, 0);
    return count == 1 ? QStringLiteral("1 more error report of this run was not shown.")
                      : QStringLiteral("%1 more error reports of this run were not shown.")
                            .arg(QLocale().toString(count));
}

ErrorTrap::ErrorTrap(ErrorReporter& reporter, QString module, QString procedure, QString project)
    : reporter_(reporter), module_(std::move(module)), procedure_(std::move(procedure)),
      project_(std::move(project))
{
}

void ErrorTrap::report(const std::exception& error)
{
    const auto* runtimeError = dynamic_cast<const RuntimeError*>(&error);
    reporter_.report(
        {runtimeError ? runtimeError->number() : 0,
         runtimeError ? runtimeError->description() : QString::fromLocal8Bit(error.what()),
         project_, module_, procedure_, line_, rowText()});
}

QString ErrorTrap::rowText() const
{
    if (!rowList_ || row_ < 1 || row_ > rowList_->count()) return {};
    return rowList_->text(row_);
}
