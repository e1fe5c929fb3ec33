#include "adding/samples.h"
#include "ui/form1.h"

// The sample files that come with the program.

void Form1::PushButton8_Click()
{
    ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton8_Click"));
    trap.line(100, [&] { LoadSampleFiles(files_, platform_); });
}
