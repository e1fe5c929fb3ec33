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
    if (!inputRounds_.due()) return;
    QCoreApplication::processEvents();
    inputRounds_.restart();
}

void QtEventPump::processWaitRound()
{
    if (!waitRounds_.due()) return;
    QCoreApplication::processEvents();
    waitRounds_.restart();
}
