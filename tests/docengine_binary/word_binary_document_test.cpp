#include "docengine/binary/WordBinaryDocument.h"

#include "CompoundFileBuilder.h"
#include "support/SavedProperties.h"
#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/InstalledFonts.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "support/WordStreamBuilder.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace glyphmere::docengine {
namespace {

using testing::HasSubstr;
using namespace testing_support;
using binary_testing::propertiesByCp;

const binary_testing::FixedFonts kFonts;

const std::string kNewFontSprms = prl16(0x4A4F, 3) + prl16(0x4A51, 3);

std::string compoundFile(const WordTestStreams& streams,
                         const std::function<void(binary_testing::CompoundFileBuilder&)>& extra = {})
{
    binary_testing::CompoundFileBuilder builder;
    builder.stream("WordDocument", streams.wordDocument)
        .stream("1Table", streams.table)
        .stream("\005SummaryInformation", std::string(300, 'S'));
    if (extra)
        extra(builder);
    return builder.build().bytes;
}

std::string docFile(const WordTestDocument& document) { return compoundFile(buildWordStreams(document)); }

std::string refusal(const std::string& fileBytes)
{
    return testing_support::errorText<EngineError>([&] { WordBinaryDocument document(fileBytes, kFonts); }, "accepted");
}

struct RefusalCase {
    const char* name;
    std::function<void(WordTestDocument&)> describe;
    std::function<void(WordTestStreams&)> damage;
    std::function<void(binary_testing::CompoundFileBuilder&)> container;
    std::string reason;
};

TEST(WordBinaryDocument, RefusesWhatItMustNotChangeWithTheReason)
{
    const auto dopByte = [](std::size_t offset, char bits) {
        return [=](WordTestDocument& d) { d.dop[offset] = bits; };
    };
    const RefusalCase cases[] = {
        {"Word 6/95",
         {},
         [](WordTestStreams& s) {
             patchU16(s.wordDocument, 2, 0x0068);
             patchU16(s.wordDocument, 0x20, 0x1200);
         },
         {},
         messages::kOldWordVersion},
        {"encrypted", [](WordTestDocument& d) { d.fibFlags |= 0x0100; }, {}, {}, messages::kPasswordProtected},
        {"obfuscated", [](WordTestDocument& d) { d.fibFlags |= 0x8100; }, {}, {}, messages::kPasswordProtected},
        {"rights-managed", {}, {}, [](auto& b) { b.stream("\006DataSpaces/Version", "v"); }, messages::kRightsManaged},
        {"AutoText only", [](WordTestDocument& d) { d.fibFlags |= 0x0002; }, {}, {}, messages::kAutoTextOnly},
        {"signed", {}, {}, [](auto& b) { b.stream("_signatures", "sig"); }, messages::kDigitallySigned},
        {"signed as XML", {}, {}, [](auto& b) { b.stream("_xmlsignatures/sig1", "sig"); }, messages::kDigitallySigned},
        {"form protection", dopByte(7, 0x02), {}, {}, messages::kProtectedAgainstEditing},
        {"tracked changes", dopByte(5, char(0x80)), {}, {}, messages::kTracksChanges},
        {"piece resets to plain",
         [](WordTestDocument& d) {
             d.pieces = {{12, true, 0x53 << 1}};
         },
         {},
         {},
         messages::kPieceFormatting},
        {"piece sets a font",
         [](WordTestDocument& d) {
             d.pieceProperties = {prl16(0x4A4F, 1)};
             d.pieces = {{5, true, 0}, {12, true, 0x0001}};
         },
         {},
         {},
         messages::kPieceFormatting},
        {"piece table outside its stream",
         {},
         [](WordTestStreams& s) { patchU32(s.wordDocument, fibPairOffset(33), 0x7FFFFFF0); },
         {},
         "the piece table runs past the end"},
        {"huge bin table",
         {},
         [](WordTestStreams& s) { patchU32(s.wordDocument, fibPairOffset(12) + 4, 0xFFFFFFF0); },
         {},
         "the character property bin table runs past the end"},
        {"no table stream", [](WordTestDocument& d) { d.fibFlags &= ~0x0200; }, {}, {}, "\"0Table\""},
        {"page count that lies",
         {},
         [](WordTestStreams& s) { s.wordDocument[s.wordDocument.size() - 1] = char(0xFF); },
         {},
         "damaged"},
    };
    for (const RefusalCase& c : cases) {
        WordTestDocument document;
        if (c.describe)
            c.describe(document);
        WordTestStreams streams = buildWordStreams(document);
        if (c.damage)
            c.damage(streams);
        const std::string reason = refusal(compoundFile(streams, c.container));
        EXPECT_THAT(reason, HasSubstr(c.reason)) << c.name;
    }
}

TEST(WordBinaryDocument, ACompoundFileWithoutAWordStreamIsNotAWordDocument)
{
    binary_testing::CompoundFileBuilder builder;
    builder.stream("Workbook", std::string(5000, 'x'));
    EXPECT_EQ(refusal(builder.build().bytes), messages::kNotAWordDocument);
}

TEST(WordBinaryDocument, IgnoresTheOffsetOfAnEmptyStructure)
{
    WordTestStreams streams = buildWordStreams({});
    patchU32(streams.wordDocument, fibPairOffset(11), 0x7FFFFFF0); // the header plex, zero bytes long
    EXPECT_EQ(refusal(compoundFile(streams)), "accepted");
}

WordTestDocument storiesDocument()
{
    WordTestDocument document;
    document.mainText = u"Body one\rBody two\r"; // CPs 0-17
    document.footnotes = u"Note\r";              // 18-22
    document.headers = u"Head\r\rFoot\r\r\r";    // 23-35
    document.headerStoryStarts = {0, 0, 0, 0, 0, 0, 0, 0, 6, 6, 12, 12, 12};
    document.runs = {{0, 3, prl16(0x4A43, 30)}, {3, 21, prl(0x0835, "\x01")}, {24, 30, prl16(0x4A4F, 0)}};
    return document;
}

TEST(WordBinaryDocument, RestylesTheMainTextOnlyAndSplitsRunsAtItsEdge)
{
    const std::vector<std::pair<const char*, std::vector<WordTestPiece>>> layouts = {
        {"one compressed piece", {}},
        {"uncompressed", {{37, false}}},
        {"mixed", {{10, true}, {20, false}, {37, true}}},
    };
    for (const auto& [name, pieces] : layouts) {
        for (const bool backwards : {false, true}) {
            WordTestDocument described = storiesDocument();
            described.pieces = pieces;
            described.piecesStoredBackwards = backwards;
            const std::string original = docFile(described);
            WordBinaryDocument document(original, kFonts);
            ASSERT_EQ(document.story(BinaryStory::MainText), (std::vector<CpRange>{{0, 18}}));
            FontChange change;
            change.name = "Glyph Test Sans";
            change.halfPoints = 24;
            const BinaryStoryCounts counts = document.restyle(document.story(BinaryStory::MainText), change);
            EXPECT_EQ(counts.paragraphMarks, 2) << name;
            EXPECT_TRUE(document.isChanged());

            const std::vector<std::string> before = propertiesByCp(original);
            const std::vector<std::string> after = propertiesByCp(document.savedBytes());
            ASSERT_EQ(before.size(), after.size());
            const std::string added = kNewFontSprms + prl16(0x4A43, 24) + prl16(0x4A61, 24);
            for (std::size_t cp = 0; cp < after.size(); ++cp) {
                if (cp < 18) {
                    const std::string kept = before[cp] == "-" ? "" : before[cp];
                    const std::string expected = cp < 3 ? added : kept + added; // the size sprm of CPs 0-2 is replaced
                    EXPECT_EQ(after[cp], expected) << name << " CP " << cp;
                } else {
                    EXPECT_EQ(after[cp], before[cp]) << name << " CP " << cp;
                }
            }
        }
    }
}

TEST(WordBinaryDocument, ChoosesPageOneHeaderAndListsEveryOtherStory)
{
    WordTestDocument described = storiesDocument();
    described.comments = u"Remark\r";
    WordBinaryDocument document(docFile(described), kFonts);
    EXPECT_EQ(document.story(BinaryStory::CurrentPageHeader), (std::vector<CpRange>{{23, 28}}));
    EXPECT_EQ(document.story(BinaryStory::CurrentPageFooter), (std::vector<CpRange>{{29, 34}}));
    std::vector<std::string> names;
    for (const auto& story : document.allStories())
        names.push_back(story.name);
    EXPECT_THAT(names, testing::ElementsAre("header", "footer", "footnotes", "comments"));
    EXPECT_EQ(document.savedViewType(), 3);
}

TEST(WordBinaryDocument, AppendsAMissingFontOnceAndReusesAnyCase)
{
    WordBinaryDocument document(docFile({}), kFonts);
    const auto main = document.story(BinaryStory::MainText);
    FontChange arial;
    arial.name = "ARIAL";
    document.restyle(main, arial);
    EXPECT_EQ(propertiesByCp(document.savedBytes()).front(), prl16(0x4A4F, 2) + prl16(0x4A51, 2));

    FontChange added;
    added.name = "Glyph Test Serif";
    added.eastAsianName = "glyph test serif";
    document.restyle(main, added);
    document.restyle(main, added);
    const std::string saved = document.savedBytes();
    EXPECT_EQ(propertiesByCp(saved).front(), prl16(0x4A4F, 3) + prl16(0x4A51, 3) + prl16(0x4A50, 3));
    const CompoundFile file = CompoundFile::parse(saved);
    const std::string table = *file.readStream("1Table");
    const FcLcb fonts = Fib::parse(*file.readStream("WordDocument")).pair(FibPair::SttbfFfn);
    const FontTable parsed = FontTable::parse(std::string_view(table).substr(fonts.fc, fonts.lcb));
    ASSERT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed.name(3), "Glyph Test Serif");
}

TEST(WordBinaryDocument, GivesRunsToTextNoRunCovered)
{
    WordTestDocument described;
    described.mainText = u"abcdefghij\r";
    described.runs = {{3, 6, prl16(0x4A43, 30)}};
    described.coverEveryCharacter = false;
    WordBinaryDocument document(docFile(described), kFonts);
    FontChange change;
    change.halfPoints = 20;
    document.restyle(document.story(BinaryStory::MainText), change);
    const std::string size = prl16(0x4A43, 20) + prl16(0x4A61, 20);
    EXPECT_THAT(propertiesByCp(document.savedBytes()), testing::Each(size));
}

// The saved FIB differs from the original only in the fields a restyle moves.
TEST(WordBinaryDocument, UpdatesOnlyTheMovedFibFieldsAndKeepsOtherStreams)
{
    WordTestDocument described = storiesDocument();
    described.autoTextDocument = true;
    const WordTestStreams streams = buildWordStreams(described);
    const std::string original = compoundFile(streams);
    WordBinaryDocument document(original, kFonts);
    FontChange change;
    change.name = "Glyph Test Sans";
    document.restyle(document.story(BinaryStory::MainText), change);
    const CompoundFile saved = CompoundFile::parse(document.savedBytes());
    EXPECT_EQ(saved.readStream("\005SummaryInformation"), std::string(300, 'S'));
    const std::string wordDocument = *saved.readStream("WordDocument");
    ASSERT_EQ(wordDocument.size() % 512, 0u);
    const std::size_t autoTextFib = std::size_t{fieldU16(streams.wordDocument, 8, "test")} * 512;
    const std::size_t movedFields[] = {0x40, 0x70, 0x74, fibPairOffset(12), fibPairOffset(12) + 4};
    const std::size_t fontPair = fibPairOffset(15);
    const auto mayChange = [&](std::size_t offset) {
        const auto within = [&](std::size_t field) { return offset >= field && offset < field + 4; };
        if (within(fontPair) || within(fontPair + 4))
            return true; // only the document's own FIB points at the grown font table
        const std::size_t inFib = offset >= autoTextFib ? offset - autoTextFib : offset;
        return std::any_of(std::begin(movedFields), std::end(movedFields), within) ||
               std::any_of(std::begin(movedFields), std::end(movedFields),
                           [&](std::size_t field) { return inFib >= field && inFib < field + 4; });
    };
    for (std::size_t offset = 0; offset < streams.wordDocument.size(); ++offset) {
        if (!mayChange(offset)) {
            EXPECT_EQ(wordDocument[offset], streams.wordDocument[offset]) << "offset " << offset;
        }
    }
    const Fib fib = Fib::parse(wordDocument);
    const Fib autoText = Fib::parse(wordDocument, autoTextFib);
    EXPECT_EQ(fib.cbMac, wordDocument.size());
    EXPECT_EQ(autoText.cbMac, wordDocument.size());
    EXPECT_EQ(autoText.pair(FibPair::PlcfBteChpx).fc, fib.pair(FibPair::PlcfBteChpx).fc);
    EXPECT_EQ(fieldU32(wordDocument, 0x70, "test"), (streams.wordDocument.size() + 511) / 512);
}

WordTestStreams streamsOf(const std::string& fileBytes)
{
    const CompoundFile file = CompoundFile::parse(fileBytes);
    return {*file.readStream("WordDocument"), *file.readStream("1Table")};
}

std::string mainTextRestyledAt(const std::string& fileBytes, std::uint16_t halfPoints)
{
    WordBinaryDocument document(fileBytes, kFonts);
    FontChange change;
    change.name = "Glyph Test Sans";
    change.halfPoints = halfPoints;
    document.restyle(document.story(BinaryStory::MainText), change);
    return document.savedBytes();
}

std::uint32_t pairFc(const WordTestStreams& streams, std::size_t pair)
{
    return fieldU32(streams.wordDocument, fibPairOffset(pair), "test");
}

// A paragraph bin table naming the last page, put in front of the character bin table.
void nameLastPageAsParagraphPage(WordTestStreams& streams)
{
    const std::uint32_t binTable = pairFc(streams, 12);
    std::string plc(12, '\0');
    patchU32(plc, 4, 2);
    patchU32(plc, 8, static_cast<std::uint32_t>(streams.wordDocument.size() / 512 - 1));
    streams.table.insert(binTable, plc);
    patchU32(streams.wordDocument, fibPairOffset(12), binTable + 12);
    patchU32(streams.wordDocument, fibPairOffset(15), pairFc(streams, 15) + 12);
    patchU32(streams.wordDocument, fibPairOffset(13), binTable);
    patchU32(streams.wordDocument, fibPairOffset(13) + 4, 12);
}

// Nothing to change, or properties that already are the new ones: the original bytes.
TEST(WordBinaryDocument, UnchangedDocumentSavesItsOriginalBytes)
{
    const std::string original = docFile(storiesDocument());
    WordBinaryDocument document(original, kFonts);
    EXPECT_EQ(document.restyle(document.story(BinaryStory::CurrentPageHeader), {}).runs, 0);
    EXPECT_FALSE(document.isChanged());
    EXPECT_EQ(document.savedBytes(), original);

    const std::string restyled = mainTextRestyledAt(original, 24);
    EXPECT_EQ(mainTextRestyledAt(restyled, 24), restyled);
}

// A restyled document restyled again: its own pages and tables at the streams' ends are written over, so
// neither stream grows; anything else there, or anything else pointing at them, keeps them and the new
// ones are appended.
TEST(WordBinaryDocument, RestyledAgain_WritesOverOnlyWhatTheLastRestyleAppended)
{
    const struct {
        const char* name;
        bool autoText;
        std::function<void(WordTestStreams&)> change;
        bool writesOver;
    } cases[] = {
        {"as the restyle left it", false, {}, true},
        {"a template with AutoText", true, {}, true},
        {"other data after the tables", false, [](auto& s) { s.table += "data"; }, false},
        {"other data after the pages", false, [](auto& s) { s.wordDocument += std::string(512, 'd'); }, false},
        {"another pair names the font table", false,
         [](auto& s) {
             patchU32(s.wordDocument, fibPairOffset(1), pairFc(s, 15));
             patchU32(s.wordDocument, fibPairOffset(1) + 4, 8);
         },
         false},
        {"a paragraph bin table names the last page", false, nameLastPageAsParagraphPage, false},
    };
    for (const auto& row : cases) {
        WordTestDocument described = storiesDocument();
        described.autoTextDocument = row.autoText;
        WordTestStreams before = streamsOf(mainTextRestyledAt(docFile(described), 24));
        if (row.change)
            row.change(before);
        const std::string again = mainTextRestyledAt(compoundFile(before), 30);
        const WordTestStreams after = streamsOf(again);
        if (row.writesOver) {
            EXPECT_EQ(after.wordDocument.size(), before.wordDocument.size()) << row.name;
            EXPECT_EQ(after.table.size(), before.table.size()) << row.name;
        } else {
            EXPECT_GT(after.wordDocument.size(), before.wordDocument.size()) << row.name;
            EXPECT_TRUE(after.table.starts_with(before.table)) << row.name;
            EXPECT_TRUE(after.wordDocument.substr(0x400).starts_with(before.wordDocument.substr(0x400))) << row.name;
        }
        const std::vector<std::string> properties = propertiesByCp(again);
        EXPECT_TRUE(binary_testing::endsWithSizeSprms(properties.at(0), 30)) << row.name;
        EXPECT_NO_THROW(WordBinaryDocument(again, kFonts)) << row.name;
    }
}

// Damage anywhere in the two Word streams ends in a restyle or in a reason, never in another failure.
TEST(WordBinaryDocument, RandomDamageEndsInARestyleOrAReason)
{
    const WordTestStreams pristine = buildWordStreams(storiesDocument());
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        WordTestStreams streams = pristine;
        std::string& stream = round % 2 ? streams.table : streams.wordDocument;
        for (int flips = 0; flips < 1 + round % 4; ++flips) {
            const std::size_t at = random() % stream.size();
            stream[at] = static_cast<char>(round % 3 == 0 ? 0xFF : random());
        }
        try {
            WordBinaryDocument document(compoundFile(streams), kFonts);
            FontChange change;
            change.name = "Glyph Test Sans";
            for (const BinaryStory story :
                 {BinaryStory::MainText, BinaryStory::CurrentPageHeader, BinaryStory::CurrentPageFooter})
                document.restyle(document.story(story), change);
            for (const auto& story : document.allStories())
                document.restyle(story.ranges, change);
            document.savedBytes();
        } catch (const EngineError&) {
        }
    }
}

} // namespace
} // namespace glyphmere::docengine
