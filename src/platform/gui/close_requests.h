#pragma once

#include "platform/event_pump.h"

class QWidget;

// Qt holds a close request back while events are let through without the user's input, and
// drops it once it reaches a window a modal box blocks. Carries out a close of `window` that
// is waiting in the window system's queue; the rest of what the user did stays queued.
void honourPendingCloseRequest(QWidget* window);

// The event pump of the program's window: a paint-only round also ends the program at once
// when the window was closed meanwhile.
class WindowEventPump : public QtEventPump
{
public:
    void setWindow(QWidget* window) { window_ = window; }
    void processPaintEvents() override;

private:
    QWidget* window_ = nullptr;
};
