#pragma once

#include <QFileIconProvider>
#include <QMimeDatabase>

// Icons and type names for the file dialogs, told by a file's name and kind alone. Qt's own
// provider opens a file whose name says nothing to read its first bytes, and a read of such a
// file in /proc (kmsg, a process's memory) can wait for ever with the window frozen behind it.
class NameOnlyIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeType mimeTypeByName(const QFileInfo& info) const;

    QMimeDatabase mimeTypes_;
};
