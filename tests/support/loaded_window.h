#pragma once

#include "doubles/test_platform.h"
#include "ui/form1.h"

#include <QStringList>
#include <QTest>

// Every row's own text, top to bottom.
inline QStringList rowTexts(const RowList& list)
{
    QStringList texts;
    for (int row = 1; row <= list.count(); ++row)
        texts << list.text(row);
    return texts;
}

// Runs start-up and shows the window; true once it is on screen.
inline bool loadAndShow(Form1& form)
{
    form.Form_Load();
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

// The main window after start-up, on a test platform, with start-up's boxes forgotten.
struct LoadedWindow
{
    TestPlatform test;
    Form1 form{test.platform()};

    LoadedWindow()
    {
        form.Form_Load();
        test.dialogs.clearShown();
    }
};
