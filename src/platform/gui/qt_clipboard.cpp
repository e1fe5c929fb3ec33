#include "platform/gui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool QtClipboard::clear()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->clear();
    return true;
}

bool QtClipboard::setText(const QByteArray& utf8, const QString& format)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    // Plain text kept as its UTF-8 bytes: the window system hands these out as they are, where
    // text set as a string would be held in UTF-16, twice the size, and converted per request.
    auto* data = new QMimeData;
    data->setData(format.isEmpty() ? QStringLiteral("text/plain") : format, utf8);
    clipboard->setMimeData(data);
    return true;
}

QString QtClipboard::text() const
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}
