#pragma once

class Dialogs;
class ErrorReporter;
class EventPump;
class WindowPointer;

// What every command of the window takes: the pointer it shows busy, the boxes a person
// answers, the error report, and the rounds that keep the window alive meanwhile.
struct CommandContext
{
    WindowPointer& pointer;
    Dialogs& dialogs;
    ErrorReporter& errors;
    EventPump& events;
};
