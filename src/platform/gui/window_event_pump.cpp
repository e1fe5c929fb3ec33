#include "platform/gui/window_event_pump.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
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

namespace {
constexpr auto kStopControl = "bytemarshStopControl";
}

void InputHoldFilter::setStop(std::function<bool()> wanted, std::function<void()> stop)
{
    stopWanted_ = std::move(wanted);
    stop_ = std::move(stop);
}

void InputHoldFilter::markStopControl(QWidget* control)
{
    control->setProperty(kStopControl, true);
}

bool InputHoldFilter::asksForStop(QObject* watched, QEvent* event) const
{
    if (!stop_ || !stopWanted_()) return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
               static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier;
    return event->type() == QEvent::MouseButtonPress && watched->property(kStopControl).toBool();
}

bool InputHoldFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserAction(event->type()) || !belongsToWindow(watched)) return false;
    if (asksForStop(watched, event)) {
        // The override is claimed so the key comes as a press, which is the one that stops.
        if (event->type() != QEvent::ShortcutOverride) stop_();
        event->accept();
        return true;
    }
    if (!holding_) return false;
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

WindowEventPump::~WindowEventPump()
{
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(&filter_);
}

WindowEventPump::WindowEventPump(int waitIntervalMs) : QtEventPump(10, waitIntervalMs)
{
    filter_.setStop([this] { return commandRunning(); }, [this] { requestStop(); });
}

void WindowEventPump::setWindow(QWidget* window)
{
    filter_.setWindow(window);
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(&filter_);
}

void WindowEventPump::holdInput()
{
    QtEventPump::holdInput();
    filter_.setHolding(true);
}

void WindowEventPump::releaseInput()
{
    QtEventPump::releaseInput();
    filter_.setHolding(holding());
}

void WindowEventPump::processHeldRoundNow()
{
    holdInput();
    QCoreApplication::processEvents();
    releaseInput();
    waitRounds_.restart();
}
