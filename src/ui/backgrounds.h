#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

// Fills a control's background with one colour: its window role and, where given, one more
// role (a button's face, say).
inline void paintBackground(QWidget* widget, const QColor& colour,
                            QPalette::ColorRole alsoRole = QPalette::Window)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(alsoRole, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
