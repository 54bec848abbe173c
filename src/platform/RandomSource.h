#pragma once

namespace glyphmere::platform {

// A pseudo-random number generator seeded from the time of day; tests inject a scripted one.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    // Seeds the generator with the seconds since midnight.
    virtual void seedFromTimeOfDay() = 0;
    // The next number r, 0 <= r < 1.
    virtual double next() = 0;
};

} // namespace glyphmere::platform
