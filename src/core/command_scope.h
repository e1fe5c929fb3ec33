#pragma once

#include <QObject>
#include <deque>
#include <functional>

class EventPump;
class WindowPointer;

// The commands under way in one window. Nothing that arrives from outside the user's hand (a
// later start's paths, a queued call) starts inside a command: it waits here until the last
// command has ended, and then runs from the event loop in the order it came.
class RunningCommands : public QObject
{
public:
    RunningCommands(EventPump& events, WindowPointer& pointer);
    ~RunningCommands() override;

    bool any() const { return depth_ > 0; }
    bool holdingInput() const { return holds_ > 0; }

    // Runs `action` now when no command runs; otherwise once none does.
    void whenIdle(std::function<void()> action);

private:
    friend class CommandScope;
    void runWaiting();

    EventPump& events_;
    WindowPointer& pointer_;
    int depth_ = 0;
    int holds_ = 0;
    std::deque<std::function<void()>> waiting_;
    bool runScheduled_ = false;
};

// One command's run, held for as long as it lasts. It marks the window busy with a command,
// holds the user's input when the command's steps let none in, and leaves the pointer at its
// default when the last command ends. No command starts inside one that holds input.
//
//     CommandScope scope(running, CommandScope::Input::Held);
//     if (scope.refused()) return;
class CommandScope
{
public:
    enum class Input {
        Held,       // its steps take no input: presses, keys and drops meanwhile are discarded
        LetThrough, // its steps process the user's events, so another command may start
    };

    CommandScope(RunningCommands& running, Input input);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // True when a command that holds input is under way: this one must not start.
    bool refused() const { return refused_; }

private:
    RunningCommands& running_;
    Input input_;
    bool refused_ = false;
};
