#include "platform/event_pump.h"

#include <QCoreApplication>

void QtEventPump::processPendingEvents()
{
    if (sinceLast_.isValid() && sinceLast_.elapsed() < intervalMs_) return;
    QCoreApplication::processEvents();
    sinceLast_.start();
}
