#pragma once

#include "platform/clipboard.h"

// The desktop's clipboard.
class QtClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QByteArray& utf8, const QString& format) override;
    QString text() const override;
};
