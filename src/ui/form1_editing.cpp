#include "ui/form1.h"

#include <QKeyEvent>

// Trimming both lists by hand.

void Form1::PushButton1_Click()
{
    removeBySubstring(QStringLiteral("PushButton1_Click"), fileList(), SubstringFilter::Containing);
}

void Form1::PushButton2_Click()
{
    removeBySubstring(QStringLiteral("PushButton2_Click"), fileList(),
                      SubstringFilter::NotContaining);
}

void Form1::PushButton13_Click()
{
    removeBySubstring(QStringLiteral("PushButton13_Click"), resultsList(),
                      SubstringFilter::Containing);
}

void Form1::PushButton14_Click()
{
    removeBySubstring(QStringLiteral("PushButton14_Click"), resultsList(),
                      SubstringFilter::NotContaining);
}

void Form1::removeBySubstring(const QString& procedure, RowList& list, SubstringFilter filter)
{
    runCommand(CommandScope::Input::Held, [&] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), procedure);
        RunSubstringCommand(trap, platform_.dialogs, *this, list, filter);
    });
}

// Clear List of the file list: a folder scan that processes events may still be adding rows.
void Form1::PushButton11_Click()
{
    runCommand(CommandScope::Input::Held, [this] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton11_Click"));
        trap.line(100, [&] {
            if (!isBusy()) fileList().clear();
        });
    });
}

// Clear List of the results list works even while busy: emptying it can lose no work.
void Form1::PushButton9_Click()
{
    runCommand(CommandScope::Input::Held, [this] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton9_Click"));
        trap.line(100, [&] { resultsList().clear(); });
    });
}

void Form1::ListView1_DblClick()
{
    RemoveSelectedRow(fileList(), *this);
}

void Form1::ListView2_DblClick()
{
    RemoveSelectedRow(resultsList(), *this);
}

void Form1::ListView2_KeyDown(int key)
{
    // Shift, Ctrl and Alt make no difference.
    if (key == Qt::Key_Delete) RemoveSelectedRow(resultsList(), *this);
}

void Form1::connectListHandlers()
{
    connect(ListView1Widget, &ListViewWidget::doubleClickedAnywhere, this,
            &Form1::ListView1_DblClick);
    connect(ListView2Widget, &ListViewWidget::doubleClickedAnywhere, this,
            &Form1::ListView2_DblClick);
    connect(ListView2Widget, &ListViewWidget::keyPressed, this,
            [this](QKeyEvent* event) { ListView2_KeyDown(event->key()); });

    connectFileListPointer();
}
