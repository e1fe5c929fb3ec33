#include "platform/gui/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

void QtShell::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void QtShell::openFolder(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
