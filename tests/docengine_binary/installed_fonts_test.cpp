#include "docengine/binary/InstalledFonts.h"
#include "docengine/binary/SfntFace.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

constexpr std::uint8_t kFixed = 1, kVariable = 2, kTrueType = 0x04;
constexpr std::uint8_t kRoman = 1, kSwiss = 2, kModern = 3, kScript = 4, kDecorative = 5;

struct InstalledCase {
    const char* asked;
    const char* name;
    std::uint8_t pitch;
    std::uint8_t kind;
};

TEST(InstalledFonts, InstalledFamiliesAreDescribedFromTheirFontFiles)
{
    const InstalledCase cases[] = {
        {"DejaVu Sans Mono", "DejaVu Sans Mono", kFixed, kModern},
        {"dejavu serif", "DejaVu Serif", kVariable, kRoman},
        {"Liberation Sans", "Liberation Sans", kVariable, kSwiss},
        {"LIBERATION MONO", "Liberation Mono", kFixed, kModern},
    };
    for (const InstalledCase& row : cases) {
        SCOPED_TRACE(row.asked);
        const FontDescription font = installedFonts().describe(row.asked);
        EXPECT_EQ(font.name, row.name);
        EXPECT_EQ(font.ffid, row.pitch | kTrueType | row.kind << 4);
        EXPECT_EQ(font.weight, 400);
        EXPECT_EQ(font.charset, 0);
        EXPECT_EQ(font.panose[0], 2) << "Latin text";
        EXPECT_NE(font.signature[0] & 1, 0u) << "Basic Latin";
        EXPECT_NE(font.signature[4] & 1, 0u) << "code page 1252";
    }
}

TEST(InstalledFonts, FamiliesOnlySubstitutedByFontconfigAreNotInstalled)
{
    for (const char* family : {"No Such Family 7f3a", "Liberation Sans Bold"})
        EXPECT_EQ(installedFonts().describe(family), plainFontDescription(family)) << family;
    const FontDescription plain = plainFontDescription("X");
    EXPECT_EQ(plain.ffid, kVariable | kTrueType);
    EXPECT_EQ(plain.weight, 400);
}

SfntFace latinFace()
{
    SfntFace face;
    face.panose = {2, 2, 6, 3, 5, 4, 5, 2, 3, 4};
    face.unicodeRanges = {1, 2, 3, 4};
    face.codePageRanges = {5, 6};
    face.trueTypeOutlines = true;
    return face;
}

TEST(DescribedFace, FieldsFollowTheFontTables)
{
    const auto kindOf = [](auto change) {
        SfntFace face = latinFace();
        change(face);
        return describedFace(face, "F").ffid >> 4;
    };
    EXPECT_EQ(kindOf([](SfntFace&) {}), kRoman) << "PANOSE serif";
    EXPECT_EQ(kindOf([](SfntFace& f) { f.panose[1] = 11; }), kSwiss) << "PANOSE sans serif";
    EXPECT_EQ(kindOf([](SfntFace& f) { f.panose[3] = 9; }), kModern) << "PANOSE monospaced";
    EXPECT_EQ(kindOf([](SfntFace& f) { f.panose[0] = 3; }), kScript);
    EXPECT_EQ(kindOf([](SfntFace& f) { f.panose = {}; }), 0);
    EXPECT_EQ(kindOf([](SfntFace& f) { f.familyClass = 0x0805; }), kSwiss) << "class before PANOSE";
    EXPECT_EQ(kindOf([](SfntFace& f) { f.familyClass = 0x0C00; }), kDecorative);
    EXPECT_EQ(kindOf([](SfntFace& f) { f.familyClass = 0x0A01; }), kScript);
    EXPECT_EQ(kindOf([](SfntFace& f) {
                  f.fixedPitch = true;
                  f.familyClass = 0x0805;
              }),
              kModern);

    SfntFace symbol = latinFace();
    symbol.codePageRanges[0] = 0x80000000;
    symbol.trueTypeOutlines = false;
    symbol.weightClass = 1200;
    const FontDescription font = describedFace(symbol, "Symbols");
    EXPECT_EQ(font.charset, 2);
    EXPECT_EQ(font.ffid & 0x0F, kVariable) << "CFF outlines are not TrueType";
    EXPECT_EQ(font.weight, 1000);
    EXPECT_EQ(font.signature, (std::array<std::uint32_t, 6>{1, 2, 3, 4, 0x80000000, 6}));
    EXPECT_EQ(font.panose, symbol.panose);
}

std::string bigEndian(std::uint64_t value, int size)
{
    std::string bytes;
    for (int i = size - 1; i >= 0; --i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    return bytes;
}

std::string os2Table(std::uint16_t version, std::uint16_t weight, std::size_t size = 96)
{
    std::string os2 = bigEndian(version, 2) + bigEndian(500, 2) + bigEndian(weight, 2);
    os2.resize(30, '\0');
    os2 += bigEndian(0x0805, 2) + std::string{2, 11, 6, 4, 2, 2, 2, 2, 2, 4};
    os2 += bigEndian(0x11, 4) + bigEndian(0x22, 4) + bigEndian(0x33, 4) + bigEndian(0x44, 4);
    os2.resize(78, '\0');
    os2 += bigEndian(0x80000001, 4) + bigEndian(0x66, 4);
    os2.resize(size, '\0');
    return os2;
}

std::string postTable(bool fixedPitch)
{
    return std::string(12, '\0') + bigEndian(fixedPitch, 4) + std::string(16, '\0');
}

struct Table {
    const char* tag;
    std::string bytes;
};

// An sfnt face whose table offsets count from base, the face's place in the file.
std::string sfnt(const std::vector<Table>& tables, std::uint64_t base = 0, const char* version = "\0\1\0\0")
{
    std::string face = std::string(version, 4) + bigEndian(tables.size(), 2) + std::string(6, '\0');
    std::uint64_t offset = base + 12 + 16 * tables.size();
    std::string data;
    for (const Table& table : tables) {
        face += std::string(table.tag, 4) + bigEndian(0, 4) + bigEndian(offset + data.size(), 4) +
                bigEndian(table.bytes.size(), 4);
        data += table.bytes;
    }
    return face + data;
}

const std::vector<Table> kSansTables = {{"glyf", "xxxx"}, {"OS/2", os2Table(4, 700)}, {"post", postTable(false)}};

std::optional<SfntFace> faceOf(const std::string& file, std::uint32_t index = 0)
{
    const FontFileReader read = [&file](std::uint64_t offset, std::size_t length) -> std::optional<std::string> {
        if (offset > file.size() || length > file.size() - offset)
            return std::nullopt;
        return file.substr(offset, length);
    };
    return readSfntFace(read, index);
}

TEST(ReadSfntFace, ReadsTheOs2AndPostTables)
{
    const std::optional<SfntFace> face = faceOf(sfnt(kSansTables));
    ASSERT_TRUE(face);
    EXPECT_EQ(face->weightClass, 700);
    EXPECT_EQ(face->familyClass, 0x0805);
    EXPECT_EQ(face->panose[1], 11);
    EXPECT_EQ(face->unicodeRanges, (std::array<std::uint32_t, 4>{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(face->codePageRanges, (std::array<std::uint32_t, 2>{0x80000001, 0x66}));
    EXPECT_FALSE(face->fixedPitch);
    EXPECT_TRUE(face->trueTypeOutlines);
}

TEST(ReadSfntFace, VersionZeroTableHasNoCodePages_CffHasNoTrueTypeOutlines)
{
    const std::optional<SfntFace> face =
        faceOf(sfnt({{"CFF ", "xx"}, {"OS/2", os2Table(0, 400, 78)}, {"post", postTable(true)}}, 0, "OTTO"));
    ASSERT_TRUE(face);
    EXPECT_EQ(face->codePageRanges, (std::array<std::uint32_t, 2>{0, 0}));
    EXPECT_TRUE(face->fixedPitch);
    EXPECT_FALSE(face->trueTypeOutlines);
}

std::string collection(std::uint32_t declaredFaces)
{
    const std::string first = sfnt({{"OS/2", os2Table(4, 300)}, {"post", postTable(false)}}, 20);
    const std::string header = "ttcf" + bigEndian(0x00010000, 4) + bigEndian(declaredFaces, 4) + bigEndian(20, 4) +
                               bigEndian(20 + first.size(), 4);
    return header + first + sfnt(kSansTables, 20 + first.size());
}

TEST(ReadSfntFace, CollectionFaceIsFoundByIndex)
{
    const std::string file = collection(2);
    ASSERT_TRUE(faceOf(file, 0));
    EXPECT_EQ(faceOf(file, 0)->weightClass, 300);
    ASSERT_TRUE(faceOf(file, 1));
    EXPECT_EQ(faceOf(file, 1)->weightClass, 700);
    EXPECT_FALSE(faceOf(file, 2));
}

TEST(ReadSfntFace, DamagedFiles_GiveNoFace)
{
    const std::string good = sfnt(kSansTables);
    std::string tableOutside = good;
    tableOutside[12 + 16 + 8] = 0x7F; // the OS/2 table's offset
    std::string manyTables = good;
    manyTables[4] = static_cast<char>(0xFF);
    const struct {
        const char* name;
        std::string file;
        std::uint32_t index;
    } cases[] = {
        {"Empty", "", 0},
        {"HeaderCut", good.substr(0, 11), 0},
        {"UnknownVersion", sfnt(kSansTables, 0, "wOFF"), 0},
        {"DirectoryPastTheEnd", manyTables, 0},
        {"TablePastTheEnd", tableOutside, 0},
        {"TableCut", good.substr(0, 12 + 3 * 16 + 4 + 50), 0},
        {"Os2TooShort", sfnt({{"OS/2", os2Table(4, 400, 57)}, {"post", postTable(false)}}), 0},
        {"NoPostTable", sfnt({{"OS/2", os2Table(4, 400)}}), 0},
        {"SecondFaceOfAPlainFile", good, 1},
        {"CollectionCountsMoreFacesThanItHolds", collection(3), 2},
        {"CollectionCut", collection(2).substr(0, 18), 1},
    };
    for (const auto& row : cases)
        EXPECT_FALSE(faceOf(row.file, row.index)) << row.name;
}

} // namespace
} // namespace glyphmere::docengine
