#include "platform/event_pump.h"

#include <QCoreApplication>

bool QtEventPump::due()
{
    if (sinceLast_.isValid() && sinceLast_.elapsed() < intervalMs_) return false;
    sinceLast_.start();
    return true;
}

void QtEventPump::processPendingEvents()
{
    if (!due()) return;
    QCoreApplication::processEvents();
    sinceLast_.start();
}

void QtEventPump::processPaintEvents()
{
    if (!due()) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceLast_.start();
}
