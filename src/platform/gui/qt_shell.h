#pragma once

#include "platform/shell.h"

// Opens through the desktop's registered programs.
class QtShell : public Shell
{
public:
    void openUrl(const QString& url) override;
    bool openFolder(const QString& folder) override;

    // How long xdg-open has to say it found no program; one still at work has started one.
    static constexpr int kOpenerAnswerMs = 500;
};
