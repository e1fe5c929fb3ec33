#pragma once

// The main window's pointer setting. Long commands show Busy from start to end; the
// pointer-over rules never replace a busy pointer.
enum class PointerSetting : int { Default = 0, Busy = 11, Custom = 99 };

class WindowPointer
{
public:
    virtual ~WindowPointer() = default;
    virtual PointerSetting mousePointer() const = 0;
    virtual void setMousePointer(PointerSetting setting) = 0;

    bool isBusy() const { return mousePointer() == PointerSetting::Busy; }
};
