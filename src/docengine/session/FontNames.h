#pragma once

#include <string>
#include <vector>

namespace glyphmere::docengine {

// One family name of a font and the language it is given in ("" when none is given).
struct LocalizedFamily {
    std::string name;
    std::string language;
};

// The font list as Word offers it, from the family names of each installed font: the English name where
// one is given, else the first; each name once (compared without regard to case); names longer than
// 31 characters or starting with "@" left out; sorted without regard to case.
std::vector<std::string> selectFontNames(const std::vector<std::vector<LocalizedFamily>>& fonts);

// The installed families, from fontconfig, selected as above.
std::vector<std::string> installedFontNames();

} // namespace glyphmere::docengine
