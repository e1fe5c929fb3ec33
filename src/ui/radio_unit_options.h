#pragma once

#include "core/unit_options.h"

#include <array>

class QRadioButton;

// The unit options as four radio buttons that may also all be cleared.
class RadioUnitOptions : public UnitOptions
{
public:
    explicit RadioUnitOptions(std::array<QRadioButton*, 4> buttons) : buttons_(buttons) {}

    bool isSelected(int option) const override;
    void setSelected(int option, bool selected) override;

private:
    QRadioButton* button(int option) const;
    std::array<QRadioButton*, 4> buttons_;
};
