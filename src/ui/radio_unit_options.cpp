#include "ui/radio_unit_options.h"

#include "base/runtime_error.h"

#include <QRadioButton>

QRadioButton* RadioUnitOptions::button(int option) const
{
    if (option < 1 || option > 4)
        throw RuntimeError(RuntimeError::ControlArrayElementMissing,
                            QStringLiteral("Control array element does not exist"));
    return buttons_[std::size_t(option - 1)];
}

bool RadioUnitOptions::isSelected(int option) const
{
    return button(option)->isChecked();
}

void RadioUnitOptions::setSelected(int option, bool selected)
{
    QRadioButton* target = button(option);
    if (selected) {
        target->setChecked(true);
        return;
    }
    // Auto-exclusive radio buttons refuse to clear the checked one.
    target->setAutoExclusive(false);
    target->setChecked(false);
    target->setAutoExclusive(true);
}
