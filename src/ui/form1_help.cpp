#include "platform/dialogs.h"
#include "ui/form1.h"

// The help message: where questions go.

namespace {

const QString kContactPage = QStringLiteral(BYTEMARSH_CONTACT_PAGE);

} // namespace

void Form1::PushButton7_Click()
{
    runCommand(CommandScope::Input::Held, [this] {
        ErrorTrap trap(errors_, QStringLiteral("Form1"), QStringLiteral("PushButton7_Click"));
        trap.line(100, [&] {
            platform_.dialogs.messageBox(
                {QStringLiteral("Questions? Please contact Team Quillory at ") + kContactPage,
                 {},
                 BoxIcon::None,
                 BoxButtons::Ok});
        });
    });
}
