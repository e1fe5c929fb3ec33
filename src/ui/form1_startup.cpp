#include "platform/dialogs.h"
#include "platform/random_source.h"
#include "platform/shell.h"
#include "ui/application_title.h"
#include "ui/form1.h"

#include "ui/colour_pairs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

// What Form_Load calls on its way: the skin, the home page now and then, the application title.

namespace {

const QString kHomePage = QStringLiteral(BYTEMARSH_HOMEPAGE);

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
