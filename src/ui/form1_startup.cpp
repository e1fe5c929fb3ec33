#include "platform/dialogs.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "ui/application_title.h"
#include "ui/form1.h"

#include "ui/colour_pairs.h"
#include "ui/pointer_rules.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// Start-up helpers, the pointer rules and the help message.

namespace {

const QString kHomePage = QStringLiteral(BYTEMARSH_HOMEPAGE);
const QString kContactPage = QStringLiteral(BYTEMARSH_CONTACT_PAGE);

} // namespace

void Form1::ApplySkin()
{
    const QString skinFile = FindSkinFile(platform_.programFolder);
    if (skinFile.isEmpty()) return;

    buttonFaceWithItsText(this);
    for (QWidget* control : findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(control) || qobject_cast<QCheckBox*>(control) ||
            qobject_cast<QGroupBox*>(control) || qobject_cast<QLabel*>(control))
            buttonFaceWithItsText(control);
    }

    SkinFramework1.LoadSkin(skinFile, QString());
    SkinFramework1.SetOptions(SkinFramework1.Options() | SkinFramework::SkinDialogs);
    SkinFramework1.SetApplyColors(true);
    SkinFramework1.SetApplyMetrics(true);
    SkinFramework1.ApplyWindow(this);
}

void Form1::OpenHomePageAtRandom()
{
    platform_.random.seedFromTimeOfDay();
    const int draw = int(platform_.random.next() * 100) + 1;
    if (draw == 7) platform_.shell.openUrl(kHomePage);
}

void Form1::SetApplicationTitle()
{
    platform_.dialogs.setApplicationTitle(ApplicationTitleFor(QString::fromLatin1(kProductName)));
}

void Form1::installPointerRules()
{
    pointerRules_ = new PointerRules(*this, this);
    for (QPushButton* button :
         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6, PushButton7,
          PushButton8, PushButton9, PushButton10, PushButton11, PushButton12, PushButton13,
          PushButton14, PushButton18})
        pointerRules_->handOver(button);
    for (QWidget* area : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1),
                          static_cast<QWidget*>(ListView2Widget), ListView2Widget->viewport(),
                          ListView2Widget->header()->viewport()})
        pointerRules_->defaultOver(area);
}

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
