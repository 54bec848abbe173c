#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// Opcodes of the property modifiers (sprms) the engine reads or writes.
namespace sprm {
inline constexpr std::uint16_t kCRgFtc0 = 0x4A4F;   // font of ASCII text
inline constexpr std::uint16_t kCRgFtc1 = 0x4A50;   // East Asian font
inline constexpr std::uint16_t kCRgFtc2 = 0x4A51;   // font of other text
inline constexpr std::uint16_t kCFtcBi = 0x4A5E;    // complex-script font
inline constexpr std::uint16_t kCHps = 0x4A43;      // size in half points
inline constexpr std::uint16_t kCHpsBi = 0x4A61;    // complex-script size in half points
inline constexpr std::uint16_t kTDefTable = 0xD608; // operand with a 2-byte size
inline constexpr std::uint16_t kPChgTabs = 0xC615;  // operand whose size byte 255 means "count the tabs"
} // namespace sprm

// One property modifier (Prl) of a property list (grpprl): its opcode and its bytes, opcode included.
struct Prl {
    std::uint16_t sprm = 0;
    std::string_view bytes;

    std::string_view operand() const { return bytes.substr(2); }
};

// The Prls of a grpprl in order, each sized by its opcode's operand kind (spra), including the two
// opcodes whose operands state their size differently. EngineError when a Prl runs past the end.
std::vector<Prl> splitGrpprl(std::string_view grpprl);

} // namespace glyphmere::docengine
