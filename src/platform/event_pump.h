#pragma once

#include <QElapsedTimer>

// Lets the window repaint and hear the desktop inside long loops. Two kinds of round, each on
// its own clock so that one never starves the other:
// - an input round lets the user in, for the commands whose steps invite that (the folder
//   scan, the exports, the sample scrambler);
// - a held round handles everything but the user's input to the window (repaints, the
//   desktop's close, timers), for the waits and loops where no command may start.
class EventPump
{
public:
    virtual ~EventPump() = default;
    // At most once every few milliseconds; cheap to call on every step.
    virtual void processPendingEvents() = 0;
    // At most once every kHeldRoundMs; cheap enough to call every few dozen rows.
    virtual void processHeldEvents() = 0;
    // While input is held, every round and every box's own loop discards what the user does to
    // the window: presses, keys, wheel, menus and drops. Holds nest.
    virtual void holdInput() = 0;
    virtual void releaseInput() = 0;

    static constexpr int kHeldRoundMs = 50;
};

// Waits for a worker's answer a slice at a time, with a held round between slices, so the
// window repaints and hears its close meanwhile. `take` waits one slice and answers a value
// whose TimedOut means "not yet"; the first other answer is returned.
template <typename Take> auto takeWithHeldRounds(EventPump& events, Take&& take)
{
    for (;;) {
        const auto taken = take();
        if (taken != decltype(taken)::TimedOut) return taken;
        events.processHeldEvents();
    }
}

// Throttles a kind of round to at most one per interval.
class RoundClock
{
public:
    explicit RoundClock(int intervalMs) : intervalMs_(intervalMs) {}
    // True, and restarts the clock, when a round is due.
    bool due();
    // Restarts the clock after a round that took a while, so the next one waits its turn.
    void restart() { sinceLast_.start(); }

private:
    int intervalMs_;
    QElapsedTimer sinceLast_;
};

// The pump of a program without a window (benchmarks, tools): rounds process what is
// pending; there is no window whose input could be held.
class QtEventPump : public EventPump
{
public:
    explicit QtEventPump(int inputIntervalMs = 10, int heldIntervalMs = kHeldRoundMs)
        : inputRounds_(inputIntervalMs), heldRounds_(heldIntervalMs)
    {
    }
    void processPendingEvents() override;
    void processHeldEvents() override;
    void holdInput() override { ++holds_; }
    void releaseInput() override { --holds_; }

protected:
    bool holding() const { return holds_ > 0; }
    RoundClock inputRounds_;
    RoundClock heldRounds_;

private:
    int holds_ = 0;
};
