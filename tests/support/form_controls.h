#pragma once

#include "ui/list_view.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

// The window's controls, found as a screen reader or an automation tool finds them: by their
// object names. A name the window lacks fails the test that asked.
template <typename Control> Control* namedControl(const QWidget& form, const char* name)
{
    auto* const control = form.findChild<Control*>(QString::fromLatin1(name));
    if (!control) qFatal("the window has no control named %s", name);
    return control;
}

inline QPushButton* pushButton(const QWidget& form, const char* name)
{
    return namedControl<QPushButton>(form, name);
}

inline QRadioButton* radioButton(const QWidget& form, const char* name)
{
    return namedControl<QRadioButton>(form, name);
}

inline QGroupBox* groupBox(const QWidget& form, const char* name)
{
    return namedControl<QGroupBox>(form, name);
}

inline ListViewWidget* listWidget(const QWidget& form, const char* name)
{
    return namedControl<ListViewWidget>(form, name);
}

// A click on a button, which runs its command to its end before it returns.
inline void clickControl(const QWidget& form, const char* name)
{
    pushButton(form, name)->click();
}
