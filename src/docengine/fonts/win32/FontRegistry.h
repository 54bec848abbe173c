#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// A font file and the face in it.
struct FontFile {
    std::string path;
    std::uint32_t faceIndex = 0;
};

// The faces a value name of the Fonts registry key names, in the file's order: "Cambria & Cambria Math
// (TrueType)" names two faces of one collection. The kind in parentheses is dropped.
std::vector<std::string> facesOfFontEntry(std::string_view valueName);

// The file of the family's regular face, from the Fonts registry keys of the user (fonts installed for
// the user alone, by full path) and of the machine (by name in the Windows font folder); nullopt when
// neither names it.
std::optional<FontFile> findFontFile(const std::string& family);

} // namespace glyphmere::docengine
