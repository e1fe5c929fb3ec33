#pragma once

#include "core/error_trap.h"
#include "platform/dialogs.h"

#include <string_view>

class StandardError;

// The boxes of a run without a window, each one line on standard error that names what the run
// was at: "bytemarsh: SUBJECT: TEXT". Nobody is there to answer, so questions are answered No
// and dialogs are cancelled.
class StandardErrorDialogs : public Dialogs
{
public:
    explicit StandardErrorDialogs(StandardError& errors) : errors_(errors) {}

    // What the lines name from now on: a path (an empty one too), a list, a file written. The
    // text must outlive its use.
    void setSubject(std::string_view subject)
    {
        subject_ = subject;
        hasSubject_ = true;
    }
    void clearSubject() { hasSubject_ = false; }
    // Lines said so far.
    int said() const { return said_; }

    // One line about the subject; line breaks in the text become blanks.
    void say(const QString& text);

    int messageBox(const MessageBoxRequest& request) override;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString openFile(const FileDialogRequest&) override { return {}; }
    QString saveFile(const FileDialogRequest&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }

private:
    StandardError& errors_;
    std::string_view subject_;
    bool hasSubject_ = false;
    int said_ = 0;
};

// Error reports as lines: the error's description and number, as the window's report gives
// them; where in the program it arose is the window's business.
class StandardErrorReporter : public ErrorReporter
{
public:
    explicit StandardErrorReporter(StandardErrorDialogs& dialogs)
        : ErrorReporter(dialogs), dialogs_(dialogs)
    {
    }

    void report(const ErrorReport& report) override;

private:
    StandardErrorDialogs& dialogs_;
};
