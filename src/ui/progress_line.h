#pragma once

#include "platform/launcher_entry.h"
#include "platform/progress.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QAccessibleInterface;
class QLabel;

// The slim line over the lower edge of the list a long command fills or reads: what it does,
// how far it has got, and "Esc stops", which a click takes too. It shows once the work has run
// half a second, changes at most ten times a second, takes no focus and no other input, and
// goes when the work ends; a stopped check leaves its count a few seconds. The taskbar entry's
// bar follows it. Screen readers read it by its name, which is its text.
class ProgressLine : public QWidget
{
    Q_OBJECT

public:
    ProgressLine(Progress& progress, QWidget* fileList, QWidget* results, QWidget* window);

    // What the line says of `state`, numbers grouped as the user's locale groups them.
    static QString text(const Progress::State& state, const QLocale& locale);
    // What it says once `state`'s work was stopped; empty when it says nothing.
    static QString stoppedText(const Progress::State& state, const QLocale& locale);

    // Whether the line and the taskbar follow the work; a benchmark times both ways.
    void setWatching(bool watching) { watching_ = watching; }

    static constexpr int kShowAfterMs = 500;
    static constexpr int kLookEveryMs = 100;
    static constexpr int kStoppedShownMs = 4000;

private:
    static QAccessibleInterface* accessible(const QString& className, QObject* object);
    void look();
    void showText(const QString& text, Progress::Place place, bool stoppable);
    void placeOver(QWidget* list);
    void ended();
    void stopped(const Progress::State& last);

    Progress& progress_;
    QPointer<QWidget> fileList_;
    QPointer<QWidget> results_;
    QLabel* text_;
    QLabel* stop_;
    QTimer looks_;
    QTimer stoppedShown_;
    LauncherEntry launcher_;
    bool watching_ = true;
};
