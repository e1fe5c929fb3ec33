#include "platform/random_source.h"

#include <QTime>

void StdRandomSource::seedFromTimeOfDay()
{
    engine_.seed(
        static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double StdRandomSource::next()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}
