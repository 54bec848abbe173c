#pragma once

#include "docengine/fonts/SystemFonts.h"

#include <string>
#include <vector>

namespace glyphmere::docengine {

// The font list as Word offers it, from the family names of each installed font: the English name where
// one is given, else the first; each name once (compared without regard to case); names longer than
// 31 characters or starting with "@" left out; sorted without regard to case.
std::vector<std::string> selectFontNames(const std::vector<std::vector<LocalizedFamily>>& fonts);

// The installed families, from the system's font list, selected as above.
std::vector<std::string> installedFontNames();

} // namespace glyphmere::docengine
