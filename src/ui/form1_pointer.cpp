#include "ui/form1.h"
#include "ui/pointer_rules.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>

// The window's pointer: the setting commands change, and the rules that follow the mouse.

void Form1::setMousePointer(PointerSetting setting)
{
    pointer_ = setting;
    applyPointer();
}

void Form1::applyPointer()
{
    switch (pointer_) {
    case PointerSetting::Busy:
        setCursor(Qt::WaitCursor);
        break;
    case PointerSetting::Custom:
        setCursor(customCursor_);
        break;
    case PointerSetting::Default:
        unsetCursor();
        break;
    }
}

void Form1::installPointerRules()
{
    pointerRules_ = new PointerRules(*this, this);
    for (QPushButton* button :
         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6, PushButton7,
          PushButton8, PushButton9, PushButton10, PushButton11, PushButton12, PushButton13,
          PushButton14, PushButton18})
        pointerRules_->handOver(button);
    for (QWidget* area :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1),
          static_cast<QWidget*>(ListView2->widget()), ListView2->widget()->viewport(),
          ListView2->widget()->header()->viewport()})
        pointerRules_->defaultOver(area);
}
