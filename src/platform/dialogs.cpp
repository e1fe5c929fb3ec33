#include "platform/dialogs.h"

#include "platform/platform_error.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {
// Kept apart from Qt's display name, which the window system would append to every title.
QString& titleStore()
{
    static QString title;
    return title;
}
} // namespace

QString applicationTitle()
{
    return titleStore().isEmpty() ? QGuiApplication::applicationName() : titleStore();
}

void setApplicationTitle(const QString& title)
{
    titleStore() = title;
}

namespace {

QString commonFolder(const QStringList& paths)
{
    QString folder = QFileInfo(paths.first()).absolutePath();
    for (const QString& path : paths) {
        while (!(path.startsWith(folder + u'/') || (folder == u'/' && path.startsWith(folder)))) {
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent == folder) break;
            folder = parent;
        }
    }
    return folder;
}

} // namespace

QString joinSelection(const QStringList& paths, int maxLength)
{
    if (paths.isEmpty()) return {};
    if (paths.size() == 1) return paths.first();

    const QString folder = commonFolder(paths);
    const QDir dir(folder);
    QString result = folder;
    for (const QString& path : paths) {
        result += QChar(u'\0');
        result += dir.relativeFilePath(path);
        if (result.size() > maxLength)
            throw PlatformError(PlatformError::BufferTooSmall,
                                QStringLiteral("The file name buffer is too small"));
    }
    return result;
}
