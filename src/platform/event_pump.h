#pragma once

#include <QElapsedTimer>

// Lets the window repaint and react inside long loops.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
    // Repaints and window-system events only, never user input: for waits where no command
    // may start.
    virtual void processPaintEvents() = 0;
};

// Processes pending events, but at most once every few milliseconds, so a loop over a
// million rows pays for a handful of event rounds, not a million.
class QtEventPump : public EventPump
{
public:
    explicit QtEventPump(int intervalMs = 10) : intervalMs_(intervalMs) {}
    void processPendingEvents() override;
    void processPaintEvents() override;

protected:
    // True at most once every few milliseconds.
    bool due();

private:
    int intervalMs_;
    QElapsedTimer sinceLast_;
};
