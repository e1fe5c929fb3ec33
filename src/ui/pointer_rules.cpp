#include "ui/pointer_rules.h"

#include <QMouseEvent>
#include <QWidget>

void PointerRules::watch(QWidget* area)
{
    // Moves without a pressed button reach a control only when it tracks the mouse.
    area->setMouseTracking(true);
    area->installEventFilter(this);
}

void PointerRules::handOver(QWidget* area)
{
    handAreas_.insert(area);
    watch(area);
}

void PointerRules::defaultOver(QWidget* area)
{
    defaultAreas_.insert(area);
    watch(area);
}

bool PointerRules::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove || pointer_.isBusy()) return false;
    if (handAreas_.contains(watched)) {
        pointer_.setMousePointer(PointerSetting::Custom);
    } else if (defaultAreas_.contains(watched)) {
        // A move the area only sees because a control on it passed it up is not a move over
        // the area.
        const auto* area = static_cast<QWidget*>(watched);
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!area->childAt(at)) pointer_.setMousePointer(PointerSetting::Default);
    }
    return false;
}
