#pragma once

#include "core/window_pointer.h"

#include <QObject>
#include <QSet>

class QWidget;

// The window's pointer-over rules, one filter for every control it watches: over a hand area
// the pointer becomes the hand, over a default area it returns to the default; a busy
// pointer is never replaced.
class PointerRules : public QObject
{
    Q_OBJECT

public:
    explicit PointerRules(WindowPointer& pointer, QObject* parent = nullptr)
        : QObject(parent), pointer_(pointer)
    {
    }

    void handOver(QWidget* area);
    // Only the area's own surface counts, not the controls that lie on it.
    void defaultOver(QWidget* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* area);

    WindowPointer& pointer_;
    QSet<QObject*> handAreas_;
    QSet<QObject*> defaultAreas_;
};
