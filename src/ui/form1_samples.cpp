#include "adding/samples.h"
#include "ui/form1.h"

// The sample files that come with the program.

// The unscrambling lets the user's events through, one round per character.
void Form1::PushButton8_Click()
{
    runCommand(CommandScope::Input::LetThrough, [this] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton8_Click"));
        trap.line(100, [&] { LoadSampleFiles(files_, platform_); });
    });
}
