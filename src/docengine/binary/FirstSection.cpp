#include "docengine/binary/FirstSection.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/Sprm.h"

#include <cstdint>

namespace glyphmere::docengine {

namespace {

constexpr const char* kWhat = "the section table";
constexpr std::size_t kSectionDescriptorSize = 12;
constexpr std::uint32_t kNoSectionProperties = 0xFFFFFFFF;
constexpr std::uint16_t kTitlePage = 0x300A;
constexpr std::uint16_t kRestartNumbering = 0x3011;
constexpr std::uint16_t kStartNumber16 = 0x501C;
constexpr std::uint16_t kStartNumber32 = 0x7044;

} // namespace

FirstSection FirstSection::parse(std::string_view plcfSed, std::string_view wordDocument)
{
    FirstSection section;
    if (plcfSed.empty())
        return section;
    if (plcfSed.size() < 4 + 4 + kSectionDescriptorSize || (plcfSed.size() - 4) % 16 != 0)
        refuseDamaged("the section table has a size that does not fit its entries");
    const std::size_t count = (plcfSed.size() - 4) / 16;
    const std::uint32_t sepxAt = fieldU32(plcfSed, (count + 1) * 4 + 2, kWhat);
    if (sepxAt == kNoSectionProperties)
        return section;
    const auto size = static_cast<std::int16_t>(fieldU16(wordDocument, sepxAt, "the first section's properties"));
    if (size < 0)
        refuseDamaged("the first section's properties have a negative size");
    const std::string_view grpprl = fieldSlice(wordDocument, std::uint64_t{sepxAt} + 2,
                                               static_cast<std::uint64_t>(size), "the first section's properties");
    bool restart = false;
    std::uint32_t startNumber = 0;
    for (const Prl& prl : splitGrpprl(grpprl)) {
        const std::string_view operand = prl.operand();
        if (prl.sprm == kTitlePage)
            section.titlePage = operand[0] != 0;
        else if (prl.sprm == kRestartNumbering)
            restart = operand[0] != 0;
        else if (prl.sprm == kStartNumber16)
            startNumber = fieldU16(operand, 0, kWhat);
        else if (prl.sprm == kStartNumber32)
            startNumber = fieldU32(operand, 0, kWhat);
    }
    section.evenFirstPageNumber = restart && startNumber % 2 == 0;
    return section;
}

} // namespace glyphmere::docengine
