#pragma once

#include "platform/testing/test_platform.h"
#include "ui/form1.h"

#include <QStringList>

// Every row's own text, top to bottom.
inline QStringList rowTexts(const ListView& list)
{
    QStringList texts;
    for (int row = 1; row <= list.count(); ++row) texts << list.text(row);
    return texts;
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
