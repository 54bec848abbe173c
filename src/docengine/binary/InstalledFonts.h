#pragma once

#include "docengine/binary/FontTable.h"
#include "docengine/binary/SfntFace.h"

#include <string>

namespace glyphmere::docengine {

// Describes a font family for a new font table entry.
class FontDescriber {
public:
    virtual ~FontDescriber() = default;
    virtual FontDescription describe(const std::string& family) const = 0;
};

// The fonts installed on this system, found through the system's font list and described from the font
// file's OS/2 and post tables. A family that is not installed (the system offers only a substitute) gets a plain
// description, so Word substitutes it as it does any missing font. Safe to use from several threads.
const FontDescriber& installedFonts();

// The description of a family not installed: normal weight, variable pitch, TrueType, no family kind.
FontDescription plainFontDescription(std::string name);

// The description Word's font table holds for a face with these tables.
FontDescription describedFace(const SfntFace& face, std::string name);

} // namespace glyphmere::docengine
