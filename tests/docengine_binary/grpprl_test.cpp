#include "docengine/binary/CharacterFormatEdit.h"
#include "docengine/binary/Sprm.h"
#include "docengine/EngineError.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;

// A Prl: the opcode in little-endian order, then the operand bytes as given.
std::string prl(std::uint16_t opcode, std::initializer_list<int> operand = {})
{
    std::string bytes{static_cast<char>(opcode & 0xFF), static_cast<char>(opcode >> 8)};
    for (int byte : operand)
        bytes.push_back(static_cast<char>(byte));
    return bytes;
}

std::string word(std::uint16_t opcode, std::uint16_t value) { return prl(opcode, {value & 0xFF, value >> 8}); }

const std::string kBold = prl(0x0835, {1});
const std::string kIstd = word(0x4A30, 3);
const std::string kPlain = prl(0x2A33, {0});
const std::string kMajority = prl(0xCA47, {4, 0x43, 0x4A, 0x18, 0x00});
const std::string kHpsInc = prl(0x2A44, {2});
const std::string kPicLocation = prl(0x6A03, {0x10, 0x20, 0x30, 0x40});
const std::string kSymbol = prl(0x6A09, {0x05, 0x00, 0x41, 0xF0});
const std::string kTableDefinition = prl(0xD608, {5, 0, 1, 2, 3, 4});
const std::string kCountedTabs = prl(0xC615, {255, 1, 1, 2, 3, 4, 2, 5, 6, 7, 8, 9, 10});

struct SplitCase {
    const char* name;
    std::string grpprl;
    std::vector<std::size_t> sizes;
};

void PrintTo(const SplitCase& row, std::ostream* out) { *out << row.name; }

class SplitGrpprl : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitGrpprl, SizesEachPrlByItsOperandKind)
{
    std::vector<std::size_t> sizes;
    std::string joined;
    for (const Prl& each : splitGrpprl(GetParam().grpprl)) {
        sizes.push_back(each.bytes.size());
        joined.append(each.bytes);
    }
    EXPECT_EQ(sizes, GetParam().sizes);
    EXPECT_EQ(joined, GetParam().grpprl);
}

INSTANTIATE_TEST_SUITE_P(
    Walker, SplitGrpprl,
    ::testing::Values(SplitCase{"Empty", "", {}},
                      SplitCase{"EverySpra",
                                kBold + prl(0x2A0C, {1}) + word(0x4A43, 24) + kPicLocation + prl(0x840F, {1, 2}) +
                                    prl(0xA413, {1, 2}) + prl(0xCA47, {2, 9, 9}) + prl(0xEA3F, {1, 2, 3}),
                                {3, 3, 4, 6, 4, 4, 5, 5}},
                      SplitCase{"TableDefinitionHasTwoByteCount", kTableDefinition + kBold, {8, 3}},
                      SplitCase{"ShortTabChangeCountsItsSizeByte", prl(0xC615, {4, 1, 2, 3, 4}) + kBold, {7, 3}},
                      SplitCase{"TabChangeOfSize255CountsItsTabs", kCountedTabs + kBold, {15, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitGrpprl, PrlRunningPastTheEnd_IsRefused)
{
    const std::vector<std::string> truncated = {
        "\x35",                         // half an opcode
        prl(0x4A43, {24}),              // fixed operand cut short
        prl(0xCA47, {4, 1, 2}),         // variable operand longer than the rest
        prl(0xD608, {9, 0, 1, 2}),      // table definition longer than the rest
        prl(0xD608, {1}),               // table definition's count cut short
        prl(0xD608, {0, 0}),            // table definition of size 0
        prl(0xC615, {255, 1, 1, 2, 3}), // deleted tabs past the end
        prl(0xC615, {255, 0, 1, 1, 2}), // added tabs past the end
        kBold + prl(0xC615, {255}),     // tab counts missing
    };
    for (const std::string& grpprl : truncated)
        EXPECT_THROW(splitGrpprl(grpprl), EngineError) << ::testing::PrintToString(grpprl);
}

CharacterFormatEdit fontAndSize(std::int16_t font, std::uint16_t halfPoints)
{
    CharacterFormatEdit edit;
    edit.font = font;
    edit.halfPoints = halfPoints;
    return edit;
}

CharacterFormatEdit everySlot()
{
    CharacterFormatEdit edit = fontAndSize(7, 24);
    edit.eastAsianFont = 8;
    edit.complexScriptFont = 9;
    return edit;
}

struct EditCase {
    const char* name;
    std::string grpprl;
    CharacterFormatEdit edit;
    std::string expected;
};

void PrintTo(const EditCase& row, std::ostream* out) { *out << row.name; }

class EditedGrpprl : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditedGrpprl, KeepsOtherPrlsAndAppendsTheNewOnesLast)
{
    EXPECT_EQ(editedGrpprl(GetParam().grpprl, GetParam().edit), GetParam().expected);
}

const std::string kNewFontAndSize = word(0x4A4F, 7) + word(0x4A51, 7) + word(0x4A43, 24) + word(0x4A61, 24);

INSTANTIATE_TEST_SUITE_P(
    Edits, EditedGrpprl,
    ::testing::Values(
        EditCase{"NoPropertiesYet", "", fontAndSize(7, 24), kNewFontAndSize},
        EditCase{"OldSprmsRemovedWhereverTheyStand",
                 word(0x4A43, 20) + kBold + word(0x4A4F, 1) + kIstd + word(0x4A51, 2) + word(0x4A61, 20) + kPicLocation,
                 fontAndSize(7, 24), kBold + kIstd + kPicLocation + kNewFontAndSize},
        EditCase{"ResetsAndObsoleteSprmsStayBeforeTheNewOnes", kPlain + kMajority + kHpsInc + kSymbol,
                 fontAndSize(7, 24), kPlain + kMajority + kHpsInc + kSymbol + kNewFontAndSize},
        EditCase{"FontOnlyKeepsSizeAndEastAsianFont", word(0x4A43, 20) + word(0x4A50, 3) + word(0x4A4F, 1),
                 CharacterFormatEdit{7, {}, {}, {}},
                 word(0x4A43, 20) + word(0x4A50, 3) + word(0x4A4F, 7) + word(0x4A51, 7)},
        EditCase{"EverySlotInItsOrder", word(0x4A5E, 1) + kBold + word(0x4A50, 2), everySlot(),
                 kBold + word(0x4A4F, 7) + word(0x4A51, 7) + word(0x4A50, 8) + word(0x4A5E, 9) + word(0x4A43, 24) +
                     word(0x4A61, 24)},
        EditCase{"OperandsLittleEndian", "", fontAndSize(0x1234, 3276),
                 word(0x4A4F, 0x1234) + word(0x4A51, 0x1234) + word(0x4A43, 3276) + word(0x4A61, 3276)},
        EditCase{"TableAndTabSprmsKeptWhole", kTableDefinition + kCountedTabs + word(0x4A43, 20), fontAndSize(7, 24),
                 kTableDefinition + kCountedTabs + kNewFontAndSize},
        EditCase{"EmptyEditChangesNothing", kBold + word(0x4A43, 20), CharacterFormatEdit{}, kBold + word(0x4A43, 20)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EditedGrpprlLimit, ResultOf255BytesFits_256IsRefused)
{
    const auto ofSize = [](std::size_t size) {
        return prl(0xCA47, {static_cast<int>(size - 3)}) + std::string(size - 3, '\x01');
    };
    EXPECT_EQ(editedGrpprl(ofSize(239), fontAndSize(1, 2)).size(), 255u);
    EXPECT_THAT(testing_support::errorText<EngineError>([&] { editedGrpprl(ofSize(240), fontAndSize(1, 2)); }),
                HasSubstr("255 bytes"));
}

TEST(EditedGrpprlLimit, MalformedGrpprl_IsRefused)
{
    EXPECT_THROW(editedGrpprl(prl(0x4A43, {24}), fontAndSize(1, 2)), EngineError);
}

TEST(OverridesFontOrSize, TrueForFontSizeAndStyleResets)
{
    EXPECT_FALSE(overridesFontOrSize(""));
    EXPECT_FALSE(overridesFontOrSize(kBold + kSymbol + kPicLocation + kTableDefinition));
    for (const std::string& grpprl :
         {word(0x4A4F, 1), word(0x4A50, 1), word(0x4A51, 1), word(0x4A5E, 1), word(0x4A43, 20), word(0x4A61, 20), kIstd,
          kPlain, kMajority, kHpsInc, prl(0xCA31, {1, 0}), prl(0x2A32, {0})})
        EXPECT_TRUE(overridesFontOrSize(kBold + grpprl)) << ::testing::PrintToString(grpprl);
    EXPECT_THROW(overridesFontOrSize(kBold + "\x43"), EngineError);
}

TEST(OverridesFontOrSize, Prm0OnlyWhenItResetsToThePlainStyle)
{
    EXPECT_TRUE(prm0OverridesFontOrSize(0x53 << 1));
    EXPECT_TRUE(prm0OverridesFontOrSize(0x53 << 1 | 0x0100)) << "any operand";
    EXPECT_FALSE(prm0OverridesFontOrSize(0));
    EXPECT_FALSE(prm0OverridesFontOrSize(0x54 << 1)) << "another sprm";
    EXPECT_FALSE(prm0OverridesFontOrSize(0x53 << 1 | 1)) << "a Prm1 points at a Prc";
}

} // namespace
} // namespace glyphmere::docengine
