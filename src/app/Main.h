#pragma once

#include "platform/RandomSource.h"
#include "platform/Shell.h"

#include <string>

namespace glyphmere::app::Main {

// The home page that one start in 100 opens; empty when the build names none.
std::string homePage();

// Draws n from 1 to 100 (seeded from the time of day) and opens address in the browser when n is 7.
// An empty address opens nothing; a browser that cannot be started is not reported.
void OpenHomePageAtRandom(platform::RandomSource& random, platform::Shell& shell, const std::string& address);

} // namespace glyphmere::app::Main
