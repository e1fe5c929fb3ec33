#pragma once

#include "platform/event_pump.h"

#include <QElapsedTimer>

class RowList;
class StandardError;

// The running count on a terminal: rows found, rows checked and the rate of the step under way.
// Brought up to date a few times a second, however often it is asked.
class CheckProgress
{
public:
    CheckProgress(StandardError& errors, const RowList& rows);

    // The check begins: from now on the rate is that of the rows checked.
    void startChecking();
    void setChecked(int rows)
    {
        checked_ = rows;
        update();
    }
    void update();
    // The count goes from the terminal.
    void clear();

private:
    StandardError& errors_;
    const RowList& rows_;
    RoundClock clock_;
    QElapsedTimer elapsed_;
    bool checking_ = false;
    int checked_ = 0;
};

// The rounds of a run without a window: there is no input to hold and nothing to repaint, so a
// round only brings the running count up to date, and hears a Ctrl-C.
class CheckEventPump : public EventPump
{
public:
    explicit CheckEventPump(CheckProgress& progress) : progress_(progress) {}

    void processPendingEvents() override
    {
        progress_.update();
        stopHereIfAsked();
    }
    void processWaitRound() override
    {
        progress_.update();
        stopHereIfAsked();
    }
    void holdInput() override {}
    void releaseInput() override {}

private:
    CheckProgress& progress_;
};
