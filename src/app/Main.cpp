#include "app/Main.h"

namespace glyphmere::app::Main {
namespace {

constexpr int kLuckyNumber = 7;

} // namespace

std::string homePage() { return GLYPHMERE_HOME_PAGE; }

void OpenHomePageAtRandom(platform::RandomSource& random, platform::Shell& shell, const std::string& address)
{
    random.seedFromTimeOfDay();
    const int n = static_cast<int>(random.next() * 100) + 1;
    if (n != kLuckyNumber || address.empty())
        return;
    // A promotion only: the start goes on whether or not a browser came up.
    static_cast<void>(shell.openUrl(address));
}

} // namespace glyphmere::app::Main
