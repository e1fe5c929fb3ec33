#pragma once

class SettingsStore;

// The four unit options, Option1 ("Bytes") to Option4 ("Gigabytes (Gb)"), numbered 1 to 4.
class UnitOptions
{
public:
    virtual ~UnitOptions() = default;
    virtual bool isSelected(int option) const = 0;
    // true makes the option the selected one; false clears it, possibly leaving none selected.
    virtual void setSelected(int option, bool selected) = 0;
};

// The unit an option stands for: the first selected option gives 0 to 3; with none selected
// the previous choice stands.
short selectedUnit(const UnitOptions& options, short previous);

// What every option click does: writes "Option1" to "Option4" from the options' states, all
// four or none.
void saveUnitOptions(const UnitOptions& options, SettingsStore& settings);
