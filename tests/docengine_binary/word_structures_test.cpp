#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/DocumentProperties.h"
#include "docengine/binary/Fib.h"
#include "docengine/binary/FirstSection.h"
#include "docengine/binary/HeaderStories.h"
#include "docengine/binary/PieceTable.h"

#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "support/WordStreamBuilder.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace glyphmere::docengine {
namespace {

using testing::HasSubstr;
using namespace testing_support;

std::string_view tableSlice(const WordTestStreams& streams, FibPair which)
{
    const FcLcb pair = Fib::parse(streams.wordDocument).pair(which);
    return fieldSlice(streams.table, pair.fc, pair.lcb, "a table stream structure");
}

PieceTable pieceTableOf(const WordTestStreams& streams)
{
    const Fib fib = Fib::parse(streams.wordDocument);
    return PieceTable::parse(tableSlice(streams, FibPair::Clx), streams.wordDocument.size(), fib.parts.total());
}

std::string refusal(const std::function<void()>& action)
{
    return testing_support::errorText<EngineError>(action, "accepted");
}

struct FibCase {
    const char* name;
    std::function<void(std::string&)> damage;
    std::string reason;
};

TEST(Fib, RefusesOldVersionsEncryptionAndDamageWithTheirReasons)
{
    const std::string oldVersion = messages::kOldWordVersion;
    const FibCase cases[] = {
        {"Word 6 (its cbMac where Word 97 has csw)",
         [](std::string& s) {
             patchU16(s, 2, 0x0065);
             patchU16(s, 0x20, 0x1200);
         },
         oldVersion},
        {"Word 95 export signature", [](std::string& s) { patchU16(s, 0, 0xA5DC); }, oldVersion},
        {"Word 97 layout with an older version", [](std::string& s) { patchU16(s, 2, 0x0065); },
         "has Word 97's layout but gives the version 101"},
        {"short count", [](std::string& s) { patchU16(s, 0x20, 0x000D); }, "counts of its fields are wrong"},
        {"long count", [](std::string& s) { patchU16(s, 0x3E, 0x0017); }, "counts of its fields are wrong"},
        {"few pairs", [](std::string& s) { patchU16(s, 0x98, 0x0020); }, "fewer fields than Word 97's"},
        {"no extended characters", [](std::string& s) { patchU16(s, kFibFlags, 0x0200); }, "lacks the flag"},
        {"encrypted", [](std::string& s) { patchU16(s, kFibFlags, 0x1000 | 0x0100); }, messages::kPasswordProtected},
        {"obfuscated", [](std::string& s) { patchU16(s, kFibFlags, 0x1000 | 0x0100 | 0x8000); },
         messages::kPasswordProtected},
        {"no signature", [](std::string& s) { patchU16(s, 0, 0x1234); }, "does not start with"},
        {"pairs past the end", [](std::string& s) { s.resize(0x200); }, "runs past the end"},
        {"huge pair count", [](std::string& s) { patchU16(s, 0x98, 0xFFFF); }, "runs past the end"},
        {"negative text length", [](std::string& s) { patchU32(s, 0x4C, 0x80000000); }, "negative"},
        {"empty stream", [](std::string& s) { s.clear(); }, "runs past the end"},
    };
    for (const FibCase& c : cases) {
        std::string stream = buildWordStreams({}).wordDocument;
        c.damage(stream);
        EXPECT_THAT(refusal([&] { Fib::parse(stream); }), HasSubstr(c.reason)) << c.name;
    }
}

TEST(PieceTable, MapsCompressedAndUncompressedPiecesStoredOutOfOrder)
{
    WordTestDocument document;
    document.mainText = u"abcdefgh\r";
    document.pieces = {{3, true}, {6, false}, {9, true}};
    document.piecesStoredBackwards = true;
    const WordTestStreams streams = buildWordStreams(document);
    const PieceTable table = pieceTableOf(streams);

    EXPECT_EQ(table.text(streams.wordDocument, 0, 9), u"abcdefgh\r");
    EXPECT_EQ(table.text(streams.wordDocument, 2, 5), u"cde");
    const auto intervals = table.fcIntervals(2, 7);
    ASSERT_EQ(intervals.size(), 3u);
    const std::vector<Piece>& pieces = table.pieces();
    EXPECT_EQ(intervals[0].start, pieces[0].fc + 2);
    EXPECT_EQ(intervals[1].start, pieces[1].fc);
    EXPECT_EQ(intervals[1].end, pieces[1].fc + 6);
    EXPECT_EQ(intervals[2].end, pieces[2].fc + 1);
    EXPECT_GT(pieces[0].fc, pieces[2].fc);
}

TEST(PieceTable, RefusesHostileTables)
{
    const std::size_t clxPair = fibPairOffset(33);
    const std::vector<std::pair<std::function<void(WordTestStreams&)>, std::string>> cases = {
        {[](WordTestStreams& s) { s.table[8] = 0x05; }, "unknown entry"},
        {[&](WordTestStreams& s) { patchU32(s.wordDocument, clxPair + 4, 3); }, "runs past the end"},
        {[&](WordTestStreams& s) { patchU32(s.wordDocument, clxPair, 0xFFFFFFF0); }, "runs past the end"},
        {[](WordTestStreams& s) { patchU32(s.table, 8 + 1, 0xFFFFFFF0); }, "runs past the end"},
        // the second piece starts where the first one does
        {[](WordTestStreams& s) { patchU32(s.table, 8 + 5 + 4, 0); }, "not in ascending order"},
        // the second piece's text placed over the first's
        {[](WordTestStreams& s) { patchU32(s.table, 8 + 5 + 12 + 8 + 2, 0x400 * 2 | 0x40000000); }, "overlaps itself"},
        {[](WordTestStreams& s) { patchU32(s.table, 8 + 5 + 12 + 2, 0x3FFFFFF0); }, "outside the WordDocument"},
        {[](WordTestStreams& s) { patchU32(s.table, 8 + 5 + 8, 5); }, "does not cover"},
        {[](WordTestStreams& s) { patchU16(s.table, 8 + 5 + 12 + 6, 0x0021); }, "property list"},
    };
    for (const auto& [damage, reason] : cases) {
        WordTestDocument document;
        document.mainText = u"abcdefgh\r";
        document.pieces = {{4, true}, {9, true}};
        WordTestStreams streams = buildWordStreams(document);
        damage(streams);
        EXPECT_THAT(refusal([&] { pieceTableOf(streams); }), HasSubstr(reason)) << reason;
    }
}

struct HeaderCase {
    const char* name;
    std::string sectionProperties;
    bool facingPages;
    std::u16string header, footer;
};

TEST(HeaderStories, PageOneShowsTheStoryTheFirstSectionChooses)
{
    const std::string titlePage = prl(0x300A, std::string(1, '\1'));
    const std::string restart = prl(0x3011, std::string(1, '\1'));
    const HeaderCase cases[] = {
        {"odd by default", "", false, u"Odd\r", u"OddF\r"},
        {"title page", titlePage, false, u"First\r", u"FirstF\r"},
        {"title page off again", titlePage + prl(0x300A, std::string(1, '\0')), true, u"Odd\r", u"OddF\r"},
        {"facing pages, page 1 odd", "", true, u"Odd\r", u"OddF\r"},
        {"facing pages, restart at 0", restart, true, u"Even\r", u"EvenF\r"},
        {"facing pages, restart at 2", restart + prl16(0x501C, 2), true, u"Even\r", u"EvenF\r"},
        {"facing pages, restart at 3", restart + prl16(0x501C, 3), true, u"Odd\r", u"OddF\r"},
        {"restart at 0 without facing pages", restart, false, u"Odd\r", u"OddF\r"},
    };
    // six empty separators, then even header, odd header, even footer, odd footer, first header, first footer
    const std::u16string stories[] = {u"Even\r\r", u"Odd\r\r", u"EvenF\r\r", u"OddF\r\r", u"First\r\r", u"FirstF\r\r"};
    WordTestDocument document;
    document.headerStoryStarts.assign(7, 0);
    for (const std::u16string& story : stories) {
        document.headers += story;
        document.headerStoryStarts.push_back(static_cast<std::uint32_t>(document.headers.size()));
    }
    document.headers += u"\r";
    for (const HeaderCase& c : cases) {
        document.firstSectionProperties = c.sectionProperties;
        const WordTestStreams streams = buildWordStreams(document);
        const Fib fib = Fib::parse(streams.wordDocument);
        const std::uint32_t start = fib.parts.text + fib.parts.footnotes;
        const auto headers = HeaderStories::parse(tableSlice(streams, FibPair::PlcfHdd), start, fib.parts.headers);
        const auto section = FirstSection::parse(tableSlice(streams, FibPair::PlcfSed), streams.wordDocument);
        const PieceTable pieces = pieceTableOf(streams);
        for (const bool footer : {false, true}) {
            const auto range = headers.pageOneStory(section, c.facingPages, footer);
            ASSERT_TRUE(range) << c.name;
            EXPECT_EQ(pieces.text(streams.wordDocument, range->start, range->end), footer ? c.footer : c.header)
                << c.name;
        }
        EXPECT_EQ(headers.sectionStories().size(), 6u);
    }
}

TEST(HeaderStories, AnEmptyStoryMeansNone)
{
    WordTestDocument document;
    document.headers = u"Odd\r\r\r";
    document.headerStoryStarts = {0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 5, 5, 5};
    const WordTestStreams streams = buildWordStreams(document);
    const Fib fib = Fib::parse(streams.wordDocument);
    const auto headers = HeaderStories::parse(tableSlice(streams, FibPair::PlcfHdd), fib.parts.text, fib.parts.headers);
    EXPECT_TRUE(headers.pageOneStory({}, false, false));
    EXPECT_FALSE(headers.pageOneStory({}, false, true));
    EXPECT_FALSE(headers.pageOneStory({true, false}, false, false));
    EXPECT_EQ(headers.sectionStories().size(), 1u);
}

TEST(HeaderStories, RefusesPositionsOutOfOrderOrPastTheHeaderText)
{
    const std::string plex = std::string("\0\0\0\0\x09\0\0\0\x03\0\0\0\x04\0\0\0", 16);
    EXPECT_THAT(refusal([&] { HeaderStories::parse(plex, 10, 20); }), HasSubstr("out of order"));
    EXPECT_THAT(refusal([&] { HeaderStories::parse(plex.substr(0, 12), 10, 5); }), HasSubstr("outside"));
    EXPECT_THAT(refusal([&] { HeaderStories::parse(plex.substr(0, 6), 10, 5); }), HasSubstr("size"));
}

TEST(DocumentProperties, RefusesProtectionAndTrackedChanges)
{
    const std::string protectedText = messages::kProtectedAgainstEditing;
    const std::vector<std::tuple<std::size_t, char, std::string>> cases = {
        {7, 0x02, protectedText},          // fProtEnabled
        {6, 0x10, protectedText},          // fLockAtn
        {7, 0x40, protectedText},          // fLockRev
        {594, 0x20, protectedText},        // fStyleLockEnforced
        {598, 0x08 | 0x30, protectedText}, // enforced read-only protection
        {598, 0x08, protectedText},        // enforced tracked changes
        {5, char(0x80), messages::kTracksChanges},
        {598, 0x08 | 0x70, "accepted"}, // enforcement of "no protection"
        {598, 0x30, "accepted"},        // read-only, not enforced
    };
    for (const auto& [offset, bits, reason] : cases) {
        std::string dop(616, '\0');
        dop[offset] = bits;
        EXPECT_EQ(refusal([&] { DocumentProperties::parse(dop); }), reason) << offset;
    }
    std::string shortDop(594, '\0');
    EXPECT_EQ(refusal([&] { DocumentProperties::parse(shortDop); }), "accepted");
    EXPECT_THAT(refusal([&] { DocumentProperties::parse(shortDop.substr(0, 40)); }), HasSubstr("shorter"));
}

TEST(DocumentProperties, ReadsTheSavedView)
{
    const std::pair<char, int> views[] = {{0, 3}, {1, 3}, {2, 5}, {3, 5}, {4, 1}, {5, 6}, {7, 3}};
    for (const auto& [saved, type] : views) {
        std::string dop(500, '\0');
        dop[82] = saved;
        EXPECT_EQ(DocumentProperties::parse(dop).savedViewType(), type) << int(saved);
    }
}

} // namespace
} // namespace glyphmere::docengine
