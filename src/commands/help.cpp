#include "commands/help.h"

#include "commands/locations.h"
#include "platform/dialogs.h"

namespace {

const QString kContactPage = QStringLiteral(BYTEMARSH_CONTACT_PAGE);

} // namespace

void Help::run()
{
    ErrorTrap trap(context_.errors, Handler::PushButton7_Click);
    trap.line(100, [&] {
        context_.dialogs.messageBox(
            {QStringLiteral("Questions? Please contact Team Quillory at ") + kContactPage,
             {},
             BoxIcon::None,
             BoxButtons::Ok});
    });
}
