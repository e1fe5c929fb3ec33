#include "platform/dialogs.h"

#include "base/runtime_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString Dialogs::applicationTitle() const
{
    return applicationTitle_.isEmpty() ? QCoreApplication::applicationName() : applicationTitle_;
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
            throw RuntimeError(RuntimeError::BufferTooSmall,
                               QStringLiteral("The file name buffer is too small"));
    }
    return result;
}
