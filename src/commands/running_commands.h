#pragma once

#include "commands/command.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

class ErrorReporter;
class EventPump;
class WindowPointer;

// The commands under way in one window. Nothing that arrives from outside the user's hand (a
// later start's paths, a queued call) starts inside a command: it waits here until the last
// command has ended, and then runs from the event loop in the order it came.
class RunningCommands : public QObject
{
public:
    RunningCommands(EventPump& events, WindowPointer& pointer, ErrorReporter& errors);
    ~RunningCommands() override;

    bool any() const { return depth_ > 0; }
    bool holdingInput() const { return holds_ > 0; }

    // Runs `action` now when no command runs; otherwise once none does.
    void whenIdle(std::function<void()> action);

    // Runs a command inside its scope, as its input rule says; nothing when a command that
    // holds input is under way.
    void run(Command& command);
    // A menu item's command: nothing while any command runs, whatever it lets through, so an
    // item chosen before a command started does nothing once it has.
    void runUnlessAnyRuns(Command& command);

private:
    friend class CommandScope;
    void runWaiting();

    static constexpr int kMemoryReleaseDelayMs = 250;

    EventPump& events_;
    WindowPointer& pointer_;
    ErrorReporter& errors_;
    int depth_ = 0;
    int holds_ = 0;
    std::deque<std::function<void()>> waiting_;
    bool runScheduled_ = false;
    QTimer memoryRelease_;
};

// One command's run, held for as long as it lasts. It marks the window busy with a command,
// holds the user's input when the command's steps let none in, and leaves the pointer at its
// default when the last command ends, whose error reports end there too. No command starts inside
// one that holds input.
//
//     CommandScope scope(running, InputRule::Held);
//     if (scope.refused()) return;
class CommandScope
{
public:
    CommandScope(RunningCommands& running, InputRule input);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // True when a command that holds input is under way: this one must not start.
    bool refused() const { return refused_; }

private:
    RunningCommands& running_;
    InputRule input_;
    bool refused_ = false;
};
