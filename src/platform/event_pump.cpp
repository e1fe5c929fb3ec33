#include "platform/event_pump.h"

#include <QCoreApplication>

bool RoundClock::due()
{
    if (sinceLast_.isValid() && sinceLast_.elapsed() < intervalMs_) return false;
    sinceLast_.start();
    return true;
}

void QtEventPump::processPendingEvents()
{
    if (inputRounds_.due()) {
        QCoreApplication::processEvents();
        inputRounds_.restart();
    }
    stopHereIfAsked();
}

void QtEventPump::processWaitRound()
{
    if (waitRounds_.due()) {
        QCoreApplication::processEvents();
        waitRounds_.restart();
    }
    stopHereIfAsked();
}
