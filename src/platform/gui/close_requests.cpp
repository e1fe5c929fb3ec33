#include "platform/gui/close_requests.h"

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface_p.h>

void honourPendingCloseRequest(QWidget* window)
{
    if (!window || !window->windowHandle()) return;
    // Takes in what the window system sent, without handing the user's input on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    using Queue = QWindowSystemInterfacePrivate;
    auto* request = static_cast<Queue::CloseEvent*>(Queue::peekWindowSystemEvent(Queue::Close));
    if (!request || request->window != window->windowHandle()) return;
    Queue::removeWindowSystemEvent(request);
    window->close();
}

void WindowEventPump::processPaintEvents()
{
    if (!due()) return;
    honourPendingCloseRequest(window_);
    if (!window_) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
