#pragma once

#include <optional>
#include <string>

namespace glyphmere::docengine {

// What a font pass sets: the font name, the size in half points, or both. The East Asian and
// complex-script slots are set only when asked for (the window's passes never do). Every document format
// reads the same change.
struct FontChange {
    std::optional<std::string> name;
    std::optional<int> halfPoints;
    std::optional<std::string> eastAsianName{};
    std::optional<std::string> complexScriptName{};
};

// How many run properties (of runs and content controls) and paragraph marks a change reached.
struct StoryCounts {
    int runs = 0;
    int paragraphMarks = 0;
};

} // namespace glyphmere::docengine
