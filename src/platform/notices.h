#pragma once

#include <QString>

// One text for the user that asks nothing back: a list not found, lines or rows left out. The
// window shows it in a box (every Dialogs is one); a run without a window says it otherwise.
class Notices
{
public:
    virtual ~Notices() = default;

    virtual void tell(const QString& text) = 0;
};
