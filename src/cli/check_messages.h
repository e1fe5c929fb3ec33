#pragma once

#include "core/error_trap.h"
#include "platform/notices.h"

#include <string_view>

class StandardError;

// What a run without a window has to say, each as one line on standard error that names what
// the run was at: "bytemarsh: SUBJECT: TEXT". Here every error report and every notice is
// something the run could not do (a file not sized, a list not found, lines or rows left out),
// so anything said makes the run one that failed.
class CheckMessages : public ErrorReporter, public Notices
{
public:
    explicit CheckMessages(StandardError& errors) : errors_(errors) {}

    // What the lines name from now on: a path (an empty one too), a list, a file written. The
    // text must outlive its use.
    void setSubject(std::string_view subject)
    {
        subject_ = subject;
        hasSubject_ = true;
    }
    void clearSubject() { hasSubject_ = false; }

    // Something was said: the run ends with status 1.
    bool errored() const { return errored_; }

    // The error's description and number, as the window's report gives them; where in the
    // program it arose is the window's business.
    void report(const ErrorReport& report) override;
    void tell(const QString& text) override { say(text); }

private:
    // One line about the subject; line breaks in the text become blanks.
    void say(const QString& text);

    StandardError& errors_;
    std::string_view subject_;
    bool hasSubject_ = false;
    bool errored_ = false;
};
