#include "platform/gui/name_only_icon_provider.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>

QMimeType NameOnlyIconProvider::mimeTypeByName(const QFileInfo& info) const
{
    return mimeTypes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot()) return icon(Drive);
    if (info.isDir()) return icon(Folder);
    // A device, pipe or socket: nothing to tell by its name.
    if (!info.isFile()) return icon(File);
    const QMimeType mime = mimeTypeByName(info);
    const QIcon themed =
        QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    return themed.isNull() ? icon(File) : themed;
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isRoot()) return QCoreApplication::translate("QAbstractFileIconProvider", "Drive");
    if (info.isDir()) return QCoreApplication::translate("QAbstractFileIconProvider", "Folder");
    if (!info.isFile()) return QCoreApplication::translate("QAbstractFileIconProvider", "File");
    return mimeTypeByName(info).comment();
}
