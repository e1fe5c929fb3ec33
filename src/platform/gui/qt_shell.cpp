#include "platform/gui/qt_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

void QtShell::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

bool QtShell::openFolder(const QString& folder)
{
    const QString url = QUrl::fromLocalFile(folder).toString();
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return QDesktopServices::openUrl(QUrl(url));
    // xdg-open says by its exit status whether any program takes folders, which the toolkit's
    // detached start never hears.
    auto* process = new QProcess(QCoreApplication::instance());
    // What the opener and the program it starts print goes where the window's own output goes,
    // not into buffers no one reads.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(opener, {url});
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    QEventLoop answer;
    QObject::connect(process, &QProcess::finished, &answer, &QEventLoop::quit);
    QTimer::singleShot(kOpenerAnswerMs, &answer, &QEventLoop::quit);
    answer.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() == QProcess::NotRunning) {
        const bool took = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        delete process;
        return took;
    }
    // Still at work: it has started a program, which is not waited for. The process object
    // goes when the opener ends (its end is heard only from the event loop, so none is missed).
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
}
