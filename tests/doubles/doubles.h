#pragma once

#include "core/unit_options.h"
#include "core/window_pointer.h"
#include "platform/clipboard.h"
#include "platform/event_pump.h"
#include "platform/file_manager.h"
#include "platform/random_source.h"
#include "platform/shell.h"

#include <QStringList>
#include <functional>

// Records what would have been opened instead of opening it.
class RecordingShell : public Shell
{
public:
    void openUrl(const QString& url) override { urls << url; }
    bool openFolder(const QString& folder) override
    {
        folders << folder;
        return opensFolders;
    }

    QStringList urls;
    QStringList folders;
    bool opensFolders = true; // false: no program takes folders
};

// Records the files it was asked to show; answers as a file manager would, or as none does.
class RecordingFileManager : public FileManager
{
public:
    bool showItem(const QByteArray& nativePath) override
    {
        shown << nativePath;
        return answers;
    }

    bool answers = true;
    QByteArrayList shown;
};

// A clipboard of its own, which can refuse a number of attempts as a busy one would.
class FakeClipboard : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QByteArray& utf8, const QString& format) override;
    QString text() const override { return QString::fromUtf8(text_); }

    int refuseNext = 0; // attempts still to refuse
    int clearAttempts = 0;
    int setAttempts = 0;
    bool everSet = false;
    QString format;

private:
    QByteArray text_; // held as the system's clipboard holds it
};

// Counts the calls; optionally runs an action on each, as events arriving mid-loop would.
class CountingEventPump : public EventPump
{
public:
    void processPendingEvents() override;
    void processWaitRound() override;
    void holdInput() override { ++holds; }
    void releaseInput() override { --holds; }

    int calls = 0;
    int waitCalls = 0; // counted apart: they come by the clock, not at the numbered steps
    int holds = 0;     // input holds now in force
    std::function<void()> onCall;
    std::function<void()> onWaitCall;
};

// Draws a fixed number.
class FixedRandom : public RandomSource
{
public:
    explicit FixedRandom(double value = 0.5) : value(value) {}
    void seedFromTimeOfDay() override { ++seeds; }
    double next() override { return value; }

    double value;
    int seeds = 0;
};

// The window's pointer setting without a window.
class PlainPointer : public WindowPointer
{
public:
    PointerSetting mousePointer() const override { return setting_; }
    void setMousePointer(PointerSetting setting) override { setting_ = setting; }

private:
    PointerSetting setting_ = PointerSetting::Default;
};

// Four unit options without a window: one selected at a time, as the window's are.
class PlainUnitOptions : public UnitOptions
{
public:
    bool isSelected(int option) const override { return selected_ == option; }
    void setSelected(int option, bool selected) override
    {
        if (selected)
            selected_ = option;
        else if (selected_ == option)
            selected_ = 0;
    }

private:
    int selected_ = 1;
};
