#include "cli/check_progress.h"

#include "cli/standard_streams.h"
#include "lists/row_list.h"

#include <cstdio>

namespace {

// Often enough to look alive, seldom enough to cost nothing.
constexpr int kUpdateMs = 100;

} // namespace

CheckProgress::CheckProgress(StandardError& errors, const RowList& rows)
    : errors_(errors), rows_(rows), clock_(kUpdateMs)
{
    elapsed_.start();
    clock_.due(); // the first count after a while: a quick run shows none
}

void CheckProgress::startChecking()
{
    checking_ = true;
    checked_ = 0;
    elapsed_.start();
}

void CheckProgress::update()
{
    if (!errors_.isTerminal() || !clock_.due()) return;
    const double seconds = double(elapsed_.nsecsElapsed()) / 1e9;
    const double rate = seconds > 0 ? (checking_ ? checked_ : rows_.count()) / seconds : 0;
    char text[160];
    std::snprintf(text, sizeof text, "bytemarsh: %d rows found, %d checked, %.0f rows/s",
                  rows_.count(), checked_, rate);
    errors_.showRunning(text);
}

void CheckProgress::clear()
{
    errors_.clearRunning();
}
