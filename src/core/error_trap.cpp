#include "core/error_trap.h"

#include "base/runtime_error.h"
#include "platform/dialogs.h"

#include <exception>

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
    dialogs_->messageBox({reportText(report.description, report.project, report.module,
                                     report.procedure, report.line),
                          QStringLiteral("Application Error"), BoxIcon::Exclamation,
                          BoxButtons::Ok});
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
         project_, module_, procedure_, line_});
}
