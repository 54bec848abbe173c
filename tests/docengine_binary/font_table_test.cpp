#include "docengine/binary/FontTable.h"
#include "docengine/EngineError.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;

void appendUtf16(std::string& bytes, std::u16string_view text)
{
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    bytes.append(2, '\0');
}

// A font table entry as Word writes it: the size byte, the fixed fields (here a recognisable pattern) and
// the name, optionally followed by an alternative name.
std::string ffnEntry(std::u16string_view name, std::u16string_view alternative = {})
{
    std::string ffn(39, '\0');
    for (std::size_t i = 0; i < ffn.size(); ++i)
        ffn[i] = static_cast<char>(0x30 + i);
    ffn[4] = static_cast<char>(alternative.empty() ? 0 : name.size() + 1);
    appendUtf16(ffn, name);
    if (!alternative.empty())
        appendUtf16(ffn, alternative);
    return static_cast<char>(ffn.size()) + ffn;
}

std::string sttbf(std::uint16_t count, const std::string& entries, std::uint16_t extra = 0)
{
    return std::string{static_cast<char>(count & 0xFF), static_cast<char>(count >> 8), static_cast<char>(extra & 0xFF),
                       static_cast<char>(extra >> 8)} +
           entries;
}

const std::string kThreeFonts =
    sttbf(3, ffnEntry(u"Times New Roman") + ffnEntry(u"Symbol") + ffnEntry(u"\u00C9cole Sans", u"Ecole"));

TEST(FontTable, ReadsNamesAndWritesTheSameBytesBack)
{
    const FontTable table = FontTable::parse(kThreeFonts);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table.name(0), "Times New Roman");
    EXPECT_EQ(table.name(2), "\u00C9cole Sans");
    EXPECT_EQ(table.serialize(), kThreeFonts);
}

TEST(FontTable, FindsNamesWithoutRegardToCase)
{
    const FontTable table = FontTable::parse(kThreeFonts);
    EXPECT_EQ(table.find("times new roman"), 0u);
    EXPECT_EQ(table.find("SYMBOL"), 1u);
    EXPECT_EQ(table.find("\u00E9COLE sans"), 2u);
    EXPECT_EQ(table.find("Ecole"), std::nullopt) << "an alternative name is not the font's name";
    EXPECT_EQ(table.find("Times New"), std::nullopt);
}

FontDescription sampleFont(std::string name)
{
    FontDescription font;
    font.ffid = 0x26;
    font.weight = 0x02BC;
    font.charset = 2;
    font.panose = {2, 11, 6, 4, 2, 2, 2, 2, 2, 4};
    font.signature = {0xE0002AFF, 0xC000783B, 9, 0, 0x800001FF, 0x12345678};
    font.name = std::move(name);
    return font;
}

TEST(FontTable, AppendedEntryFollowsTheOldOnesUnchanged)
{
    FontTable table = FontTable::parse(kThreeFonts);
    EXPECT_EQ(table.append(sampleFont("Liberation Sans")), 3u);
    const std::string bytes = table.serialize();
    EXPECT_EQ(bytes.substr(0, 2), std::string("\x04\x00", 2));
    EXPECT_EQ(bytes.substr(4, kThreeFonts.size() - 4), kThreeFonts.substr(4));

    std::string expected{static_cast<char>(39 + 2 * 16), 0x26, static_cast<char>(0xBC), 0x02, 2, 0};
    expected += std::string{2, 11, 6, 4, 2, 2, 2, 2, 2, 4};
    expected += std::string("\xFF\x2A\x00\xE0\x3B\x78\x00\xC0\x09\x00\x00\x00\x00\x00\x00\x00"
                            "\xFF\x01\x00\x80\x78\x56\x34\x12",
                            24);
    appendUtf16(expected, u"Liberation Sans");
    EXPECT_EQ(bytes.substr(kThreeFonts.size()), expected);

    const FontTable reread = FontTable::parse(bytes);
    EXPECT_EQ(reread.name(3), "Liberation Sans");
    EXPECT_EQ(reread.find("liberation sans"), 3u);
}

TEST(FontTable, NamesUpToTheEntryLimitFit)
{
    FontTable table = FontTable::parse(sttbf(0, ""));
    const std::string wordLimit = "Abcdefghij Klmnopqrst Uvwxyz 01"; // 31 characters, Word's limit
    EXPECT_EQ(table.append(sampleFont(wordLimit)), 0u);
    EXPECT_EQ(table.append(sampleFont(std::string(107, 'x'))), 1u);
    EXPECT_EQ(table.append(sampleFont("\u00C9\U0001F600")), 2u);
    EXPECT_THROW(table.append(sampleFont(std::string(108, 'x'))), EngineError);
    EXPECT_THROW(table.append(sampleFont("")), EngineError);
    EXPECT_THROW(table.append(sampleFont("bad \xC3")), EngineError);

    const FontTable reread = FontTable::parse(table.serialize());
    EXPECT_EQ(reread.name(0), wordLimit);
    EXPECT_EQ(reread.name(1), std::string(107, 'x'));
    EXPECT_EQ(reread.name(2), "\u00C9\U0001F600");
}

TEST(FontTable, FullTable_RefusesAnotherFont)
{
    const std::string entry = ffnEntry(u"F");
    std::string entries;
    for (int i = 0; i < 0x7FF0; ++i)
        entries += entry;
    FontTable table = FontTable::parse(sttbf(0x7FF0, entries));
    EXPECT_EQ(testing_support::errorText<EngineError>([&] { table.append(sampleFont("Another")); }),
              "the document's font table is full");
}

TEST(FontTable, DamagedTables_AreRefusedWithTheReason)
{
    const std::string times = ffnEntry(u"Times New Roman");
    std::string unterminated = times;
    unterminated.resize(unterminated.size() - 2);
    unterminated[0] = static_cast<char>(unterminated.size() - 1);
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"\x01\x00", "ends inside its header"},
        {sttbf(0xFFFF, times), "number of fonts as 65535"},
        {sttbf(0x7FF1, times), "number of fonts as 32753"},
        {sttbf(1, times, 2), "extra data"},
        {sttbf(2, times), "ends inside font 1"},
        {sttbf(1, times.substr(0, times.size() - 1)), "ends inside font 0"},
        {sttbf(1, unterminated), "gives font 0 a name without an end"},
        {sttbf(1, std::string("\x27") + std::string(39, 'a')), "gives font 0 a name without an end"},
    };
    for (const auto& row : cases) {
        EXPECT_THAT(testing_support::errorText<EngineError>([&] { FontTable::parse(row.bytes); }, "accepted"),
                    HasSubstr(row.reason));
    }
}

} // namespace
} // namespace glyphmere::docengine
