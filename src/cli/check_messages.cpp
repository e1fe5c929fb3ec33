#include "cli/check_messages.h"

#include "cli/standard_streams.h"
#include "cli/terminal_text.h"

#include <QRegularExpression>
#include <string>

void CheckMessages::report(const ErrorReport& report)
{
    say(report.number == 0 ? report.description
                           : QStringLiteral("%1 (error %2)")
                                 .arg(report.description, QString::number(report.number)));
}

void CheckMessages::say(const QString& text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    const QByteArray oneLine = QString(text).replace(lineBreaks, QStringLiteral(" ")).toUtf8();
    const std::string_view said(oneLine.constData(), std::size_t(oneLine.size()));
    const bool terminal = errors_.isTerminal();
    std::string line = "bytemarsh: ";
    if (hasSubject_) line.append(terminal ? terminalName(subject_) : subject_).append(": ");
    line.append(terminal ? terminalText(said) : said);
    errors_.line(line);
    errored_ = true;
}
