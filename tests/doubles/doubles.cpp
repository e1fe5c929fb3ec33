#include "doubles/doubles.h"

bool FakeClipboard::clear()
{
    ++clearAttempts;
    if (refuseNext > 0) {
        --refuseNext;
        return false;
    }
    text_.clear();
    return true;
}

bool FakeClipboard::setText(const QByteArray& utf8, const QString& requestedFormat)
{
    ++setAttempts;
    if (refuseNext > 0) {
        --refuseNext;
        return false;
    }
    text_ = utf8;
    format = requestedFormat;
    everSet = true;
    return true;
}

void CountingEventPump::processPendingEvents()
{
    ++calls;
    if (onCall) onCall();
    stopHereIfAsked();
}

void CountingEventPump::processWaitRound()
{
    ++waitCalls;
    if (onWaitCall) onWaitCall();
    stopHereIfAsked();
}
