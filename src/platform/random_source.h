#pragma once

#include <random>

// Pseudo-random numbers seeded from the time of day.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void seedFromTimeOfDay() = 0;
    // 0 <= r < 1
    virtual double next() = 0;
};

class StdRandomSource : public RandomSource
{
public:
    void seedFromTimeOfDay() override;
    double next() override;

private:
    std::mt19937 engine_;
};
