#pragma once

#include "platform/testing/test_platform.h"
#include "ui/form1.h"

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
