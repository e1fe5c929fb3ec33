#pragma once

// What the user may do while a command runs.
enum class InputRule {
    // Its steps take no input: presses, keys and drops aimed at the window meanwhile are
    // discarded, and no other command starts inside it.
    Held,
    // Its steps process the user's events, its waits on workers too, so the user may go on
    // using the window: another command may start inside it, as that command's own steps allow
    // (a list-editing command that finds the window busy does nothing).
    LetThrough,
};

// One thing the user has the program do: a button, a menu item, a drop, a hand-over. It runs
// its numbered steps to the last under its own error trap, which names where a report arose.
class Command
{
public:
    virtual ~Command() = default;

    virtual InputRule inputRule() const = 0;
    // Whether it has anything to act on now; a menu shows an item that does not apply
    // disabled. Buttons run whatever this says, as their steps decide for themselves.
    virtual bool applies() const { return true; }
    virtual void run() = 0;
};
