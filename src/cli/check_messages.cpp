#include "cli/check_messages.h"

#include "cli/standard_streams.h"

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
    std::string line = "bytemarsh: ";
    if (hasSubject_) line.append(subject_).append(": ");
    line.append(oneLine.constData(), std::size_t(oneLine.size()));
    errors_.line(line);
    errored_ = true;
}
