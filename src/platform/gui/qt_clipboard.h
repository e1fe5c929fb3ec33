#pragma once

#include "platform/clipboard.h"

// The desktop's clipboard.
class QtClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString& text, const QString& format) override;
    QString text() const override;
};
