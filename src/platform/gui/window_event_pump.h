#pragma once

#include "platform/event_pump.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

// Discards what the user does to one window and its controls: presses, double-clicks, wheel,
// keys, shortcuts, context menus, touch and tablet presses, and drags (refused, so the pointer
// says so). Releases and moves pass, so a grab or a drag already under way ends cleanly. Other
// windows, such as the boxes a command opens, are left alone.
class InputHoldFilter : public QObject
{
public:
    void setWindow(QWidget* window) { window_ = window; }
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Events discarded so far; a test reads it to tell a discarded click from a lost one.
    int discarded() const { return discarded_; }

private:
    bool belongsToWindow(QObject* watched) const;

    QPointer<QWidget> window_;
    int discarded_ = 0;
};

// The event pump of the program's window. Rounds process every event, the desktop's close
// included (the window system counts a close as user input, so a round that excluded input
// would leave it queued); while a command holds input the filter above discards the user's
// part. A wait round installs no hold of its own: it follows the running command's rule.
class WindowEventPump : public QtEventPump
{
public:
    explicit WindowEventPump(int waitIntervalMs = kWaitRoundMs);
    ~WindowEventPump() override;

    void setWindow(QWidget* window) { filter_.setWindow(window); }
    void holdInput() override;
    void releaseInput() override;
    // A held round now, whatever the clock says: a box about to open first hears a close that
    // is waiting, which the window system would drop once the box blocks the window.
    void processHeldRoundNow();

    const InputHoldFilter& filter() const { return filter_; }

private:
    InputHoldFilter filter_;
};
