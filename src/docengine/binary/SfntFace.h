#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace glyphmere::docengine {

// What an OpenType or TrueType font file's OS/2 and post tables say about one of its faces.
struct SfntFace {
    std::uint16_t weightClass = 400;
    std::uint16_t familyClass = 0; // sFamilyClass: the class in the high byte, the subclass in the low
    std::array<std::uint8_t, 10> panose{};
    std::array<std::uint32_t, 4> unicodeRanges{};
    std::array<std::uint32_t, 2> codePageRanges{}; // zero in version 0 tables, which lack them
    bool fixedPitch = false;
    bool trueTypeOutlines = false; // a glyf table rather than CFF outlines
};

// Reads length bytes at offset of a font file; nullopt when they pass its end or cannot be read.
using FontFileReader = std::function<std::optional<std::string>(std::uint64_t offset, std::size_t length)>;

// The face at faceIndex (0 for a single-face file, the face's position in a .ttc collection); nullopt
// when the file is not an sfnt, lacks the OS/2 or post table, or a table lies outside the file.
std::optional<SfntFace> readSfntFace(const FontFileReader& read, std::uint32_t faceIndex);

} // namespace glyphmere::docengine
