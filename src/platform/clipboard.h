#pragma once

#include <QString>

// The system clipboard. Each call is one attempt; callers retry.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    // format empty: plain text; otherwise the MIME type to offer the text as.
    virtual bool setText(const QString& text, const QString& format) = 0;
    virtual QString text() const = 0;
};
