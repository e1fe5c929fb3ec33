#pragma once

#include "platform/progress.h"

#include <QElapsedTimer>
#include <atomic>

// Thrown by a round once the user has asked the running command to stop; caught where the
// command began (`RunningCommands::run`, the check mode's run). It is no std::exception, so no
// error trap reports it: the command simply ends where it stood, its destructors tidying up.
struct CommandStopped
{
};

// Lets the window repaint and hear the desktop inside long loops. Two kinds of round, each on
// its own clock so that one never starves the other:
// - an input round, at the numbered steps of the commands that process events (the folder
//   scan, the exports, the sample scrambler);
// - a wait round, while a command waits on a worker or runs a long loop with no numbered
//   round. It follows the running command's input rule: under a command that holds input it
//   handles everything but the user's input to the window (repaints, the desktop's close,
//   timers); under one that lets input through, the user's clicks get in there too.
class EventPump
{
public:
    virtual ~EventPump() = default;
    // At most once every few milliseconds; cheap to call on every step.
    virtual void processPendingEvents() = 0;
    // At most once every kWaitRoundMs; cheap enough to call every few dozen rows.
    virtual void processWaitRound() = 0;
    // While input is held, every round and every box's own loop discards what the user does to
    // the window: presses, keys, wheel, menus and drops. Holds nest.
    virtual void holdInput() = 0;
    virtual void releaseInput() = 0;

    // Commands under way, as the one who runs them says: a stop is only asked for while one is.
    void commandBegan() { ++commands_; }
    void commandEnded()
    {
        // A request no round took up dies with the last command it was meant for.
        if (--commands_ == 0) stopRequested_.store(false, std::memory_order_relaxed);
    }
    bool commandRunning() const { return commands_ > 0; }

    // Asks the running command to stop: its next round throws CommandStopped. Safe in a signal
    // handler.
    void requestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }

    // How far the running command has got, for whoever shows it.
    Progress& progress() { return progress_; }

    static constexpr int kWaitRoundMs = 50;

protected:
    // Every round ends here, due or not, so a stop is heard within one round of its request.
    void stopHereIfAsked()
    {
        if (stopRequested_.exchange(false, std::memory_order_relaxed)) throw CommandStopped();
    }

private:
    std::atomic<bool> stopRequested_{false};
    int commands_ = 0;
    Progress progress_;
};

// Waits for a worker's answer a slice at a time, with a wait round between slices, so the
// window repaints and hears its close meanwhile, and takes clicks when the command lets it. `take`
// waits one slice and answers a value whose TimedOut means "not yet"; the first other answer is
// returned.
template <typename Take> auto takeWithWaitRounds(EventPump& events, Take&& take)
{
    for (;;) {
        const auto taken = take();
        if (taken != decltype(taken)::TimedOut) return taken;
        events.processWaitRound();
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
    explicit QtEventPump(int inputIntervalMs = 10, int waitIntervalMs = kWaitRoundMs)
        : inputRounds_(inputIntervalMs), waitRounds_(waitIntervalMs)
    {
    }
    void processPendingEvents() override;
    void processWaitRound() override;
    void holdInput() override { ++holds_; }
    void releaseInput() override { --holds_; }

protected:
    bool holding() const { return holds_ > 0; }
    RoundClock inputRounds_;
    RoundClock waitRounds_;

private:
    int holds_ = 0;
};
