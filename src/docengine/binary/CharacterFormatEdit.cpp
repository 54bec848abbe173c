#include "docengine/binary/CharacterFormatEdit.h"

#include "common/LittleEndian.h"
#include "docengine/binary/Sprm.h"
#include "docengine/EngineError.h"

#include <algorithm>
#include <array>
#include <vector>

namespace glyphmere::docengine {
namespace {

// Sprms that set, reset or scale the font or size: the current ones, the style resets and the obsolete
// ones Word 97 still applies.
constexpr std::array<std::uint16_t, 20> kFontOrSizeSprms = {
    sprm::kCRgFtc0, sprm::kCRgFtc1, sprm::kCRgFtc2, sprm::kCFtcBi, sprm::kCHps, sprm::kCHpsBi,
    0x4A30, // sprmCIstd
    0xCA31, // sprmCIstdPermute
    0x2A33, // sprmCPlain
    0xCA47, // sprmCMajority
    0x4A3D, // sprmCFtcDefault
    0xEA3F, // sprmCSizePos
    0x2A44, // sprmCHpsInc
    0x2A46, // sprmCHpsPosAdj
    0xCA49, // sprmCHpsNew50
    0xCA4A, // sprmCHpsInc1
    0xCA4C, // sprmCMajority50
    0x4A4D, // sprmCHpsMul
    0x2A32, // sprmCDefault
    0x2A10, // sprmCFFtcAsciSymb
};

struct NewSprm {
    std::uint16_t opcode;
    std::uint16_t operand;
};

// The edit's sprms in the order they are appended.
std::vector<NewSprm> newSprms(const CharacterFormatEdit& edit)
{
    std::vector<NewSprm> sprms;
    const auto add = [&sprms](std::uint16_t opcode, auto value) {
        if (value)
            sprms.push_back({opcode, static_cast<std::uint16_t>(*value)});
    };
    add(sprm::kCRgFtc0, edit.font);
    add(sprm::kCRgFtc2, edit.font);
    add(sprm::kCRgFtc1, edit.eastAsianFont);
    add(sprm::kCFtcBi, edit.complexScriptFont);
    add(sprm::kCHps, edit.halfPoints);
    add(sprm::kCHpsBi, edit.halfPoints);
    return sprms;
}

bool isReplaced(std::uint16_t opcode, const std::vector<NewSprm>& replacements)
{
    return std::any_of(replacements.begin(), replacements.end(),
                       [opcode](const NewSprm& replacement) { return replacement.opcode == opcode; });
}

} // namespace

std::string editedGrpprl(std::string_view grpprl, const CharacterFormatEdit& edit)
{
    const std::vector<NewSprm> replacements = newSprms(edit);
    std::string edited;
    for (const Prl& prl : splitGrpprl(grpprl)) {
        if (!isReplaced(prl.sprm, replacements))
            edited.append(prl.bytes);
    }
    for (const NewSprm& replacement : replacements) {
        common::appendLe16(edited, replacement.opcode);
        common::appendLe16(edited, replacement.operand);
    }
    if (edited.size() > kMaxChpxGrpprlSize)
        throw EngineError("a run's character properties would pass Word's limit of 255 bytes with the new "
                          "font and size");
    return edited;
}

bool overridesFontOrSize(std::string_view grpprl)
{
    const std::vector<Prl> prls = splitGrpprl(grpprl);
    return std::any_of(prls.begin(), prls.end(), [](const Prl& prl) {
        return std::find(kFontOrSizeSprms.begin(), kFontOrSizeSprms.end(), prl.sprm) != kFontOrSizeSprms.end();
    });
}

bool prm0OverridesFontOrSize(std::uint16_t prm)
{
    constexpr std::uint16_t kPlainIsprm = 0x53;
    return (prm & 1) == 0 && (prm >> 1 & 0x7F) == kPlainIsprm;
}

} // namespace glyphmere::docengine
