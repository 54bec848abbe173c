#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// One family name of a font and the language it is given in ("" when none is given).
struct LocalizedFamily {
    std::string name;
    std::string language;
};

// The face the system uses for a family, where its file is, and what the system knows of it without
// reading the file (for a face whose tables cannot be read).
struct InstalledFace {
    std::string family; // the installed family's own spelling of the name asked for
    std::string filePath;
    std::uint32_t faceIndex = 0; // the face's position in a collection; 0 for a single-face file
    bool fixedPitch = false;
    std::optional<std::uint16_t> weight; // the OpenType weight class, when the system knows it
};

// The fonts installed on this system, as the system lists them (fontconfig on POSIX; GDI and the Fonts
// registry keys of the machine and the user on Windows). Both are safe to call from several threads.

// Each installed font's family names.
std::vector<std::vector<LocalizedFamily>> installedFamilies();

// The face of an installed family of that name (compared as sameFontName does); nullopt when the system
// would only offer another family as a substitute.
std::optional<InstalledFace> findInstalledFace(const std::string& family);

// Whether a and b name the same font: equal without regard to case, by Unicode's rules rather than
// only ASCII's, as the system compares font names.
bool sameFontName(const std::string& a, const std::string& b);

} // namespace glyphmere::docengine
