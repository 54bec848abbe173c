#pragma once

#include "platform/RandomSource.h"

#include <random>

namespace glyphmere::platform::qt {

// Uniform numbers in [0, 1) from the standard library's Mersenne twister.
class StandardRandom final : public RandomSource {
public:
    void seedFromTimeOfDay() override;
    double next() override;

private:
    std::mt19937 m_engine;
    std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
};

} // namespace glyphmere::platform::qt
