#include "platform/gui/window_event_pump.h"

#include <QApplication>
#include <QDropEvent>
#include <QWidget>
#include <QWindow>

namespace {

bool isUserAction(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

bool InputHoldFilter::belongsToWindow(QObject* watched) const
{
    if (!window_ || !watched) return false;
    if (auto* widget = qobject_cast<QWidget*>(watched)) return widget->window() == window_;
    if (auto* window = qobject_cast<QWindow*>(watched)) return window == window_->windowHandle();
    return false;
}

bool InputHoldFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserAction(event->type()) || !belongsToWindow(watched)) return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed for the focused control, so no shortcut fires; the key press that follows
        // is discarded in its turn.
        event->accept();
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        static_cast<QDropEvent*>(event)->setDropAction(Qt::IgnoreAction);
        break;
    default:
        break;
    }
    event->ignore();
    ++discarded_;
    return true;
}

WindowEventPump::WindowEventPump(int waitIntervalMs) : QtEventPump(10, waitIntervalMs) {}

WindowEventPump::~WindowEventPump()
{
    if (holding() && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(&filter_);
}

void WindowEventPump::holdInput()
{
    if (!holding() && QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(&filter_);
    QtEventPump::holdInput();
}

void WindowEventPump::releaseInput()
{
    QtEventPump::releaseInput();
    if (!holding() && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(&filter_);
}

void WindowEventPump::processHeldRoundNow()
{
    holdInput();
    QCoreApplication::processEvents();
    releaseInput();
    waitRounds_.restart();
}
