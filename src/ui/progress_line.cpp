#include "ui/progress_line.h"

#include "platform/gui/window_event_pump.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

namespace {

const QString kStops = QStringLiteral("Esc stops");
const QString kSeparator = QStringLiteral(" \u00b7 ");

} // namespace

ProgressLine::ProgressLine(Progress& progress, QWidget* fileList, QWidget* results, QWidget* window)
    : QWidget(window), progress_(progress), fileList_(fileList), results_(results),
      text_(new QLabel(this)), stop_(new QLabel(this))
{
    // Before anything asks how screen readers see the line.
    QAccessible::installFactory(&ProgressLine::accessible);
    setObjectName(QStringLiteral("ProgressLine"));
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setAccessibleDescription(QStringLiteral("Progress of the running command"));
    // The text takes no click of its own; only the words that stop do.
    text_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 1, 6, 1);
    layout->setSpacing(0);
    layout->addWidget(text_);
    layout->addWidget(stop_);
    layout->addStretch();
    stop_->setText(kStops);
    QFont underlined = stop_->font();
    underlined.setUnderline(true);
    stop_->setFont(underlined);
    stop_->setCursor(Qt::PointingHandCursor);
    stop_->setAccessibleName(kStops);
    // Only the words that stop take a click, and they take it while the window's input is held.
    InputHoldFilter::markStopControl(stop_);
    // Styled now, so that its first showing costs a long command nothing more than a paint.
    ensurePolished();
    text_->ensurePolished();
    stop_->ensurePolished();
    hide();

    looks_.setInterval(kLookEveryMs);
    connect(&looks_, &QTimer::timeout, this, &ProgressLine::look);
    stoppedShown_.setSingleShot(true);
    stoppedShown_.setInterval(kStoppedShownMs);
    connect(&stoppedShown_, &QTimer::timeout, this, &QWidget::hide);
    connect(&progress_, &Progress::begun, this, [this] {
        stoppedShown_.stop();
        hide();
        if (watching_) looks_.start();
    });
    connect(&progress_, &Progress::ended, this, &ProgressLine::ended);
    connect(&progress_, &Progress::stopped, this, &ProgressLine::stopped);
}

QAccessibleInterface* ProgressLine::accessible(const QString& className, QObject* object)
{
    // A status bar, which screen readers read out as it changes.
    if (className == QLatin1String("ProgressLine") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
    return nullptr;
}

QString ProgressLine::text(const Progress::State& state, const QLocale& locale)
{
    const QString done = locale.toString(state.done);
    const QString total = locale.toString(state.total);
    switch (state.work) {
    case Progress::Work::Scanning:
        return QStringLiteral("Scanning: %1 folders, %2 files found")
            .arg(locale.toString(state.folders), done);
    case Progress::Work::Reading:
        return QStringLiteral("Reading the list: %1 rows").arg(done);
    case Progress::Work::Checking:
        return QStringLiteral("Checking %1 of %2").arg(done, total);
    case Progress::Work::Saving:
        return QStringLiteral("Saving %1 of %2 rows").arg(done, total);
    case Progress::Work::Copying:
        return QStringLiteral("Copying %1 of %2 rows").arg(done, total);
    case Progress::Work::None:
        break;
    }
    return {};
}

QString ProgressLine::stoppedText(const Progress::State& state, const QLocale& locale)
{
    if (state.work != Progress::Work::Checking) return {};
    return QStringLiteral("Stopped: %1 of %2 checked")
        .arg(locale.toString(state.done), locale.toString(state.total));
}

void ProgressLine::look()
{
    if (!progress_.running()) return ended();
    const Progress::State& state = progress_.state();
    if (state.total > 0) launcher_.showProgress(double(state.done) / double(state.total));
    if (progress_.elapsedMs() < kShowAfterMs) return;
    showText(text(state, QLocale()), state.place, true);
}

void ProgressLine::showText(const QString& text, Progress::Place place, bool stoppable)
{
    if (text.isEmpty()) return hide();
    const QString whole = stoppable ? text + kSeparator + kStops : text;
    if (accessibleName() != whole) {
        text_->setText(stoppable ? text + kSeparator : text);
        // Said again to screen readers each time it changes.
        setAccessibleName(whole);
    }
    // The list's scroll bars come and go as rows arrive: the line follows its rows' width.
    if (QWidget* list = place == Progress::Place::Results ? results_ : fileList_) placeOver(list);
    if (stop_->isVisibleTo(this) != stoppable) stop_->setVisible(stoppable);
    if (isVisible()) return;
    show();
    raise();
}

void ProgressLine::placeOver(QWidget* list)
{
    const int height = fontMetrics().height() + 4;
    // Over the rows alone: the list's frame and scroll bars still show and still work.
    const auto* scrolled = qobject_cast<QAbstractScrollArea*>(list);
    const QRect inner = scrolled ? scrolled->viewport()->geometry() : list->contentsRect();
    const QPoint topLeft = list->mapTo(parentWidget(), QPoint(inner.left(), inner.bottom() + 1));
    const QRect over(topLeft.x(), topLeft.y() - height, inner.width(), height);
    if (geometry() != over) setGeometry(over);
}

void ProgressLine::ended()
{
    looks_.stop();
    launcher_.hideProgress();
    if (!stoppedShown_.isActive()) hide();
}

void ProgressLine::stopped(const Progress::State& last)
{
    const QString said = stoppedText(last, QLocale());
    if (said.isEmpty()) return;
    showText(said, last.place, false);
    stoppedShown_.start();
}
