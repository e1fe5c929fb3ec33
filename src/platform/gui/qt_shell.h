#pragma once

#include "platform/shell.h"

// Opens through the desktop's registered programs.
class QtShell : public Shell
{
public:
    void openUrl(const QString& url) override;
    void openFolder(const QString& folder) override;
};
