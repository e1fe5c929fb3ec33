#include "cli/check_reports.h"

#include "cli/standard_streams.h"

#include <QRegularExpression>
#include <string>

void StandardErrorDialogs::say(const QString& text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    const QByteArray oneLine = QString(text).replace(lineBreaks, QStringLiteral(" ")).toUtf8();
    std::string line = "bytemarsh: ";
    if (hasSubject_) line.append(subject_).append(": ");
    line.append(oneLine.constData(), std::size_t(oneLine.size()));
    errors_.line(line);
    ++said_;
}

int StandardErrorDialogs::messageBox(const MessageBoxRequest& request)
{
    say(request.text);
    return request.buttons == BoxButtons::YesNo      ? AnswerNo
           : request.buttons == BoxButtons::OkCancel ? AnswerCancel
                                                     : AnswerOk;
}

void StandardErrorReporter::report(const ErrorReport& report)
{
    dialogs_.say(report.number == 0 ? report.description
                                    : QStringLiteral("%1 (error %2)")
                                          .arg(report.description, QString::number(report.number)));
}
