#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// The character properties a font pass sets; each unset member leaves its properties as they are.
struct CharacterFormatEdit {
    std::optional<std::int16_t> font;              // sprmCRgFtc0 + sprmCRgFtc2 (ASCII and other text)
    std::optional<std::uint16_t> halfPoints;       // sprmCHps + sprmCHpsBi
    std::optional<std::int16_t> eastAsianFont;     // sprmCRgFtc1
    std::optional<std::int16_t> complexScriptFont; // sprmCFtcBi
};

// Word's limit on a run's list of character properties.
inline constexpr std::size_t kMaxChpxGrpprlSize = 255;

// grpprl with earlier sprms of the kinds the edit sets removed, every other Prl kept byte for byte and in
// order, and the new ones appended last (so they win over sprmCIstd, sprmCPlain, sprmCMajority and the
// obsolete size sprms). EngineError when the grpprl is malformed or the result passes 255 bytes.
std::string editedGrpprl(std::string_view grpprl, const CharacterFormatEdit& edit);

// Whether a piece's own properties (a Prc's grpprl, or a Prm0) would override the font or size: they set
// a font or size, reset the properties to a style's, or hold an obsolete sprm that changes either.
// EngineError when the grpprl is malformed.
bool overridesFontOrSize(std::string_view grpprl);

// The same for a piece's Prm (a Prm0 when bit 0 is clear). Of the sprms a Prm0 can name, only sprmCPlain
// (isprm 0x53) resets font and size; a Prm1 points at a Prc, whose grpprl the caller checks instead.
bool prm0OverridesFontOrSize(std::uint16_t prm);

} // namespace glyphmere::docengine
