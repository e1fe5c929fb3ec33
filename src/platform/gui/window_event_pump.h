#pragma once

#include "platform/event_pump.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

// Watches what the user does to one window and its controls.
// - Esc aimed at the window, or a press on its stop control, asks for a stop (the handler
//   decides whether anything runs to stop) and goes no further.
// - While holding, it discards the rest: presses, double-clicks, wheel, keys, shortcuts,
//   context menus, touch and tablet presses, and drags (refused, so the pointer says so).
//   Releases and moves pass, so a grab or a drag already under way ends cleanly.
// Other windows, such as the boxes a command opens, are left alone: Esc keeps its meaning there.
class InputHoldFilter : public QObject
{
public:
    void setWindow(QWidget* window) { window_ = window; }
    void setHolding(bool holding) { holding_ = holding; }
    // Asked by Esc and by a press on a stop control, while `wanted` says so.
    void setStop(std::function<bool()> wanted, std::function<void()> stop);
    // A press on `control` stops the running command, held or not.
    static void markStopControl(QWidget* control);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Events discarded so far; a test reads it to tell a discarded click from a lost one.
    int discarded() const { return discarded_; }

private:
    bool belongsToWindow(QObject* watched) const;
    bool asksForStop(QObject* watched, QEvent* event) const;

    QPointer<QWidget> window_;
    std::function<bool()> stopWanted_;
    std::function<void()> stop_;
    bool holding_ = false;
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

    // The filter watches the window from now on: Esc stops a running command, and the user's
    // input is held while a command holds it.
    void setWindow(QWidget* window);
    void holdInput() override;
    void releaseInput() override;
    // A held round now, whatever the clock says: a box about to open first hears a close that
    // is waiting, which the window system would drop once the box blocks the window.
    void processHeldRoundNow();

    const InputHoldFilter& filter() const { return filter_; }

private:
    InputHoldFilter filter_;
};
