#include "docengine/binary/CharacterRuns.h"
#include "docengine/EngineError.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;

} // namespace

void PrintTo(const CharacterRun& run, std::ostream* out)
{
    *out << "[" << run.fcStart << ", " << run.fcEnd << ") ";
    if (run.grpprl)
        *out << run.grpprl->size() << " bytes";
    else
        *out << "none";
}

namespace {

std::uint32_t u32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(offset + i))) << (8 * i);
    return value;
}

void putU32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<char>(value >> (8 * i));
}

std::string propertyList(std::size_t size, char fill) { return std::string(size, fill); }

// The rules every packed page and its bin table follow, checked on the bytes alone: the first one broken,
// or "" when all hold.
std::string brokenRule(const PackedCharacterRuns& packed, std::uint32_t firstPage)
{
    const std::string& plc = packed.plcBteChpx;
    const std::size_t count = packed.pages.size();
    if (count == 0 || plc.size() != 4 + 8 * count)
        return "bin table size";
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& page = packed.pages[i];
        if (u32At(plc, 4 * (count + 1) + 4 * i) != firstPage + i)
            return "page number " + std::to_string(i);
        if (page.size() != 512)
            return "page size";
        const std::size_t crun = static_cast<unsigned char>(page[511]);
        if (crun < 1 || crun > 101)
            return "run count";
        for (std::size_t j = 0; j < crun; ++j) {
            if (u32At(page, 4 * j) >= u32At(page, 4 * (j + 1)))
                return "run offsets not ascending";
        }
        if (u32At(page, 0) != u32At(plc, 4 * i) || u32At(page, 4 * crun) != u32At(plc, 4 * (i + 1)))
            return "page and bin table disagree";
        const std::size_t arraysEnd = 4 * (crun + 1) + crun;
        std::vector<std::pair<std::size_t, std::size_t>> extents;
        for (std::size_t j = 0; j < crun; ++j) {
            const std::size_t offset = 2 * static_cast<unsigned char>(page[4 * (crun + 1) + j]);
            if (offset == 0)
                continue;
            const std::size_t end = offset + 1 + static_cast<unsigned char>(page[offset]);
            if (offset < arraysEnd || end > 510)
                return "properties outside the property area";
            extents.emplace_back(offset, end);
        }
        std::sort(extents.begin(), extents.end());
        extents.erase(std::unique(extents.begin(), extents.end()), extents.end());
        for (std::size_t j = 1; j < extents.size(); ++j) {
            if (extents[j].first < extents[j - 1].second)
                return "overlapping properties";
        }
    }
    return "";
}

// What reading the packed runs gives back: gaps filled with runs without properties, equal neighbours
// joined.
std::vector<CharacterRun> normalized(const std::vector<CharacterRun>& runs)
{
    std::vector<CharacterRun> result;
    const auto append = [&result](const CharacterRun& run) {
        if (!result.empty() && result.back().grpprl == run.grpprl)
            result.back().fcEnd = run.fcEnd;
        else
            result.push_back(run);
    };
    for (const CharacterRun& run : runs) {
        if (!result.empty() && result.back().fcEnd < run.fcStart)
            append({result.back().fcEnd, run.fcStart, std::nullopt});
        append(run);
    }
    return result;
}

std::string streamWithPages(const PackedCharacterRuns& packed, std::uint32_t firstPage)
{
    std::string stream(firstPage * 512, 'x');
    for (const std::string& page : packed.pages)
        stream += page;
    return stream;
}

struct PackCase {
    std::string name;
    std::vector<CharacterRun> runs;
    std::size_t pages = 0; // 0: not checked
};

std::vector<CharacterRun> alternating(std::size_t count, const std::optional<std::string>& grpprl)
{
    std::vector<CharacterRun> runs;
    for (std::uint32_t i = 0; i < count; ++i)
        runs.push_back({1024 + 2 * i, 1026 + 2 * i, i % 2 == 0 ? std::nullopt : grpprl});
    return runs;
}

std::vector<CharacterRun> distinctLongLists(std::size_t count)
{
    std::vector<CharacterRun> runs;
    for (std::uint32_t i = 0; i < count; ++i)
        runs.push_back({100 * i, 100 * i + 100, propertyList(255, static_cast<char>('a' + i))});
    return runs;
}

std::vector<CharacterRun> randomRuns(unsigned seed)
{
    std::mt19937 random(seed);
    const std::vector<std::optional<std::string>> lists = {std::nullopt,           "",
                                                           propertyList(1, 'a'),   propertyList(16, 'b'),
                                                           propertyList(101, 'c'), propertyList(200, 'd'),
                                                           propertyList(255, 'e')};
    std::vector<CharacterRun> runs;
    std::uint32_t fc = random() % 5000;
    for (std::size_t i = random() % 600 + 1; i > 0; --i) {
        fc += random() % 4 == 0 ? random() % 300 : 0;
        const std::uint32_t end = fc + 1 + random() % 40;
        runs.push_back({fc, end, lists[random() % lists.size()]});
        fc = end;
    }
    return runs;
}

std::vector<PackCase> packCases()
{
    const std::string listA = propertyList(12, 'A');
    std::vector<PackCase> cases = {
        {"OneRunWithoutProperties", {{100, 200, std::nullopt}}, 1},
        {"GapsBecomeRunsWithoutProperties",
         {{10, 20, listA}, {30, 40, "B"}, {40, 50, std::nullopt}, {70, 80, listA}},
         1},
        {"EqualNeighboursJoin", {{0, 10, listA}, {10, 20, listA}, {20, 30, std::nullopt}, {35, 40, std::nullopt}}, 1},
        {"EmptyListIsKeptApartFromNone", alternating(50, ""), 1},
        {"LongListsForcePageBreaks", distinctLongLists(12), 12},
        {"IdenticalListsAreSharedWithinAPage", alternating(60, propertyList(200, 'S')), 1},
        {"SmallRunsFillPagesToTheirCapacity", alternating(1000, "s"), 10},
    };
    for (unsigned seed = 1; seed <= 40; ++seed)
        cases.push_back({"Random" + std::to_string(seed), randomRuns(seed)});
    return cases;
}

TEST(PackCharacterRuns, ReadingThePagesGivesTheRunsBack)
{
    for (const PackCase& row : packCases()) {
        SCOPED_TRACE(row.name);
        const std::uint32_t firstPage = 3;
        const PackedCharacterRuns packed = packCharacterRuns(row.runs, firstPage);
        EXPECT_EQ(brokenRule(packed, firstPage), "");
        if (row.pages != 0) {
            EXPECT_EQ(packed.pages.size(), row.pages);
        }
        EXPECT_EQ(readCharacterRuns(streamWithPages(packed, firstPage), packed.plcBteChpx), normalized(row.runs));
    }
}

TEST(PackCharacterRuns, BinTableSpansTheFirstRunToTheLastAndStoresPageNumbers)
{
    const PackedCharacterRuns packed = packCharacterRuns(distinctLongLists(3), 0x12345);
    ASSERT_EQ(packed.plcBteChpx.size(), 4u * 4 + 4 * 3);
    EXPECT_EQ(u32At(packed.plcBteChpx, 0), 0u);
    EXPECT_EQ(u32At(packed.plcBteChpx, 12), 300u);
    EXPECT_EQ(u32At(packed.plcBteChpx, 24), 0x12347u);
}

TEST(PackCharacterRuns, UnusableRuns_AreRefused)
{
    const std::vector<std::vector<CharacterRun>> unusable = {
        {},
        {{10, 10, std::nullopt}},
        {{10, 20, std::nullopt}, {15, 30, "a"}},
        {{30, 40, std::nullopt}, {10, 20, "a"}},
        {{10, 20, propertyList(256, 'x')}},
    };
    for (const auto& runs : unusable)
        EXPECT_THROW(packCharacterRuns(runs, 1), EngineError);
}

TEST(PackCharacterRuns, PagesPastTheLargestPageNumber_AreRefused)
{
    EXPECT_NO_THROW(packCharacterRuns(distinctLongLists(1), 0x3FFFFF));
    EXPECT_THROW(packCharacterRuns(distinctLongLists(2), 0x3FFFFF), EngineError);
    EXPECT_THROW(packCharacterRuns(distinctLongLists(1), 0x400000), EngineError);
}

// A stream with one page at pn 2 holding three runs from 0x400 to 0x430, and its bin table.
struct PagedStream {
    std::string stream;
    std::string plc;
};

PagedStream threeRunPage()
{
    const PackedCharacterRuns packed =
        packCharacterRuns({{0x400, 0x410, "AAAA"}, {0x410, 0x420, std::nullopt}, {0x420, 0x430, "BB"}}, 2);
    return {streamWithPages(packed, 2), packed.plcBteChpx};
}

constexpr std::size_t kPage = 2 * 512;

struct HostileCase {
    const char* name;
    std::function<void(PagedStream&)> damage;
    const char* reason;
};

TEST(ReadCharacterRuns, DamagedPagesAndBinTables_AreRefusedWithTheStructure)
{
    const std::vector<HostileCase> cases = {
        {"NoRuns", [](PagedStream& s) { s.stream[kPage + 511] = 0; }, "page 2 gives its number of runs as 0"},
        {"TooManyRuns", [](PagedStream& s) { s.stream[kPage + 511] = 102; }, "page 2 gives its number of runs as 102"},
        {"PropertiesInsideArrays", [](PagedStream& s) { s.stream[kPage + 16] = 9; },
         "page 2 points at properties inside"},
        {"PropertiesPastTheEnd",
         [](PagedStream& s) {
             s.stream[kPage + 16] = static_cast<char>(255);
             s.stream[kPage + 510] = 1;
         },
         "page 2 holds properties that run past its end"},
        {"RunOffsetsDescending", [](PagedStream& s) { putU32(s.stream, kPage + 4, 0x425); }, "page 2 has text offsets"},
        {"BinTableNotAscending", [](PagedStream& s) { putU32(s.plc, 4, 0x400); }, "bin table's text offsets"},
        {"PageOutsideTheStream", [](PagedStream& s) { putU32(s.plc, 8, 3); }, "page 3 lies outside"},
        {"StreamEndsInsideThePage", [](PagedStream& s) { s.stream.pop_back(); }, "page 2 lies outside"},
        {"BinTableWithPartEntry", [](PagedStream& s) { s.plc.push_back('\0'); }, "no whole number of entries"},
        {"BinTableWithoutEntries", [](PagedStream& s) { s.plc.resize(4); }, "no whole number of entries"},
    };
    for (const HostileCase& row : cases) {
        SCOPED_TRACE(row.name);
        PagedStream damaged = threeRunPage();
        row.damage(damaged);
        EXPECT_THAT(testing_support::errorText<EngineError>([&] { readCharacterRuns(damaged.stream, damaged.plc); },
                                                            "accepted"),
                    HasSubstr(row.reason));
    }
}

TEST(ReadCharacterRuns, RunsAreClippedToTheBinTableAndHighPageBitsIgnored)
{
    PagedStream paged = threeRunPage();
    putU32(paged.plc, 0, 0x404);
    putU32(paged.plc, 4, 0x41C);
    putU32(paged.plc, 8, 2 | 0xFFC00000);
    const std::vector<CharacterRun> expected = {{0x404, 0x410, "AAAA"}, {0x410, 0x41C, std::nullopt}};
    EXPECT_EQ(readCharacterRuns(paged.stream, paged.plc), expected);
}

TEST(ReadCharacterRuns, PageOf101Runs_IsRead)
{
    std::string page(512, '\0');
    for (std::uint32_t i = 0; i <= 101; ++i)
        putU32(page, 4 * i, 10 * i);
    page[511] = 101;
    std::string plc(12, '\0');
    putU32(plc, 4, 1010);
    const std::vector<CharacterRun> runs = readCharacterRuns(page, plc);
    ASSERT_EQ(runs.size(), 101u);
    EXPECT_EQ(runs.back(), (CharacterRun{1000, 1010, std::nullopt}));
}

} // namespace
} // namespace glyphmere::docengine
