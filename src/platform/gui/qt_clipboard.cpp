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

bool QtClipboard::setText(const QString& text, const QString& format)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    if (format.isEmpty()) {
        clipboard->setText(text);
    } else {
        auto* data = new QMimeData;
        data->setData(format, text.toUtf8());
        clipboard->setMimeData(data);
    }
    return true;
}

QString QtClipboard::text() const
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}
