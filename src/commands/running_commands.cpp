#include "commands/running_commands.h"

#include "core/error_trap.h"
#include "core/window_pointer.h"
#include "platform/event_pump.h"
#include "platform/memory_release.h"

#include <QTimer>

RunningCommands::RunningCommands(EventPump& events, WindowPointer& pointer, ErrorReporter& errors)
    : events_(events), pointer_(pointer), errors_(errors)
{
    // A sort or a clear of a million rows frees much between blocks still in use, and so do
    // the views as they catch up with it from the event loop: once the window has been idle a
    // moment, that memory goes back to the system.
    memoryRelease_.setSingleShot(true);
    memoryRelease_.setInterval(kMemoryReleaseDelayMs);
    connect(&memoryRelease_, &QTimer::timeout, this, returnFreedMemory);
}

RunningCommands::~RunningCommands() = default;

void RunningCommands::whenIdle(std::function<void()> action)
{
    if (!any() && waiting_.empty()) {
        action();
        return;
    }
    waiting_.push_back(std::move(action));
    if (!any()) runWaiting();
}

// One waiting action at a time, each from the event loop, so none runs inside the handler
// whose end let it in, and one that starts a command makes the rest wait for that one too.
void RunningCommands::runWaiting()
{
    if (runScheduled_ || waiting_.empty()) return;
    runScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        runScheduled_ = false;
        if (any() || waiting_.empty()) return;
        const std::function<void()> action = std::move(waiting_.front());
        waiting_.pop_front();
        action();
        if (!any()) runWaiting();
    });
}

void RunningCommands::run(Command& command)
{
    const CommandScope scope(*this, command.inputRule());
    if (scope.refused()) return;
    try {
        command.run();
    } catch (const CommandStopped&) {
        // The user stopped it: it ends where it stood, as its destructors left things.
        events_.progress().reportStopped();
    }
}

void RunningCommands::runUnlessAnyRuns(Command& command)
{
    if (!any()) run(command);
}

CommandScope::CommandScope(RunningCommands& running, InputRule input)
    : running_(running), input_(input), refused_(running.holdingInput())
{
    if (refused_) return;
    if (running_.depth_++ == 0) running_.errors_.runBegan();
    running_.events_.commandBegan();
    if (input_ == InputRule::Held) {
        ++running_.holds_;
        running_.events_.holdInput();
    }
}

CommandScope::~CommandScope()
{
    if (refused_) return;
    if (input_ == InputRule::Held) {
        running_.events_.releaseInput();
        --running_.holds_;
    }
    running_.events_.commandEnded();
    if (--running_.depth_ > 0) return;
    // Every command ends by restoring the pointer; one that was cut short must not leave the
    // window looking busy.
    if (running_.pointer_.isBusy()) running_.pointer_.setMousePointer(PointerSetting::Default);
    running_.errors_.runEnded();
    running_.memoryRelease_.start();
    running_.runWaiting();
}
