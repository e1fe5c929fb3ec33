#pragma once

#include <QByteArray>
#include <QString>

// The system clipboard. Each call is one attempt; callers retry.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    // The text, as UTF-8, which the clipboard keeps as these very bytes: a text of many megabytes
    // is held once. Format empty: plain text; otherwise the MIME type to offer the text as.
    virtual bool setText(const QByteArray& utf8, const QString& format) = 0;
    virtual QString text() const = 0;
};
