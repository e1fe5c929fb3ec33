#include "platform/progress.h"

Progress::Stage::Stage(Progress& progress, Work work, Place place, qint64 total)
    : progress_(progress), outer_(progress.state_), outerStart_(progress.startMs_)
{
    if (!progress_.clock_.isValid()) progress_.clock_.start();
    progress_.state_ = State{work, place, 0, total, 0};
    progress_.startMs_ = progress_.clock_.elapsed();
    if (outer_.work == Work::None) emit progress_.begun();
}

Progress::Stage::~Stage()
{
    progress_.last_ = progress_.state_;
    progress_.state_ = outer_;
    progress_.startMs_ = outerStart_;
    if (outer_.work == Work::None) emit progress_.ended(progress_.last_);
}
