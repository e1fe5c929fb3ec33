#include "platform/error_trap.h"

#include "platform/dialogs.h"
#include "platform/platform_error.h"

#include <exception>

QString ErrorReporter::reportText(const QString& description, const QString& project,
                                  const QString& module, const QString& procedure, int line)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + project + u'.' + module +
           u'.' + procedure + u' ' + QStringLiteral("at line ") + QString::number(line) +
           QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") +
           QString::fromLatin1(kSupportAddress);
}

void ErrorReporter::report(const QString& description, const QString& project,
                           const QString& module, const QString& procedure, int line)
{
    dialogs_.messageBox({reportText(description, project, module, procedure, line),
                         QStringLiteral("Application Error"), BoxIcon::Exclamation,
                         BoxButtons::Ok});
}

ErrorTrap::ErrorTrap(ErrorReporter& reporter, QString module, QString procedure, QString project)
    : reporter_(reporter), module_(std::move(module)), procedure_(std::move(procedure)),
      project_(std::move(project))
{
}

namespace {

// The description of whatever a statement threw.
template <typename Body> bool runCaught(Body&& body, QString& description)
{
    try {
        body();
        return true;
    } catch (const PlatformError& error) {
        description = error.description();
    } catch (const std::exception& error) {
        description = QString::fromLocal8Bit(error.what());
    }
    return false;
}

} // namespace

bool ErrorTrap::line(int number, const std::function<void()>& statement)
{
    line_ = number;
    QString description;
    if (runCaught(statement, description)) return true;
    reportCurrent(description);
    return false;
}

bool ErrorTrap::test(int number, const std::function<bool()>& condition)
{
    line_ = number;
    bool answer = true;
    QString description;
    if (runCaught([&] { answer = condition(); }, description)) return answer;
    reportCurrent(description);
    return true;
}

void ErrorTrap::reportCurrent(const QString& description)
{
    reporter_.report(description, project_, module_, procedure_, line_);
}
