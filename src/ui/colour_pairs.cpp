#include "ui/colour_pairs.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kText(0, 0, 0);
// Still 5:1 on white, and plainly not the enabled text.
const QColor kDisabledText(0x6d, 0x6d, 0x6d);

void copyDesktopPalette(QWidget* widget)
{
    // Every role set explicitly: a role left open would be inherited from the white window.
    const QPalette desktop = QApplication::palette();
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            if (role != QPalette::NoRole)
                palette.setBrush(group, QPalette::ColorRole(role),
                                 desktop.brush(group, QPalette::ColorRole(role)));
    widget->setPalette(palette);
}

// The application hears of a new desktop scheme; a widget with a palette of its own does not.
class DesktopColours : public QObject
{
public:
    explicit DesktopColours(QWidget* widget) : QObject(widget), widget_(widget)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            copyDesktopPalette(widget_);
        return false;
    }

private:
    QWidget* widget_;
};

} // namespace

void whiteWithDarkText(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (const auto role :
         {QPalette::Window, QPalette::Button, QPalette::Base, QPalette::AlternateBase})
        palette.setColor(role, kWhite);
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        palette.setColor(role, kText);
        palette.setColor(QPalette::Disabled, role, kDisabledText);
    }
    palette.setColor(QPalette::PlaceholderText, kDisabledText);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void buttonFaceWithItsText(QWidget* widget)
{
    const QPalette desktop = QApplication::palette();
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, desktop.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, desktop.color(QPalette::ButtonText));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void keepDesktopColours(QWidget* widget)
{
    copyDesktopPalette(widget);
    new DesktopColours(widget);
}
