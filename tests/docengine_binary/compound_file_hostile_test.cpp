#include "CompoundFileBuilder.h"

#include "docengine/container/CompoundFile.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <functional>

namespace glyphmere::docengine {
namespace {

using namespace binary_testing;

struct HostileCase {
    const char* name;
    std::function<void(BuiltCompoundFile&)> damage;
    std::string reason; // after "the compound file's"
    std::uint32_t fatSectors = 1;
};

BuiltCompoundFile wordLikeFile(std::uint32_t fatSectors)
{
    return CompoundFileBuilder(3)
        .stream("WordDocument", std::string(5000, 'w'))
        .stream("1Table", std::string(3000, 't'))
        .stream("Data", std::string(100, 'd'))
        .stream("Storage/Inner", std::string(6000, 'i'))
        .fatSectors(fatSectors)
        .build();
}

// Opens the file and reads every stream, as a reader of the whole container does.
std::string reasonFor(const BuiltCompoundFile& built)
{
    return testing_support::errorText<EngineError>(
        [&] {
            const CompoundFile file = CompoundFile::parse(built.bytes);
            for (const auto& [path, placement] : built.streams)
                file.readStream(path);
        },
        "(read)");
}

std::uint32_t unitOf(const BuiltCompoundFile& file, const std::string& path, std::size_t index)
{
    return file.streams.at(path).units.at(index);
}

void setFatLink(BuiltCompoundFile& file, const std::string& path, std::size_t index, std::uint32_t next)
{
    file.set32(file.fatEntryOffset(unitOf(file, path, index)), next);
}

void setMiniFatLink(BuiltCompoundFile& file, const std::string& path, std::size_t index, std::uint32_t next)
{
    file.set32(file.miniFatEntryOffset(unitOf(file, path, index)), next);
}

const std::vector<HostileCase> kHostileCases = {
    {"TruncatedHeader", [](BuiltCompoundFile& f) { f.bytes.resize(300); }, "header is cut short"},
    {"NoSignature", [](BuiltCompoundFile& f) { f.bytes[0] = 'P'; }, "signature is missing"},
    {"UnknownVersion", [](BuiltCompoundFile& f) { f.bytes[0x1A] = 5; }, "version (5) is neither 3 nor 4"},
    {"SectorSizeOfOtherVersion", [](BuiltCompoundFile& f) { f.bytes[0x1E] = 12; },
     "sector size does not match its version"},
    {"OtherMiniCutoff", [](BuiltCompoundFile& f) { f.set32(0x38, 2048); }, "mini stream cutoff is not 4096 bytes"},
    {"HugeFatSectorCount", [](BuiltCompoundFile& f) { f.set32(0x2C, 0x7FFFFFFF); },
     "FAT sector count is larger than the file"},
    {"FatSectorPastEnd", [](BuiltCompoundFile& f) { f.set32(0x4C, 0x00100000); },
     "FAT sector list points outside the file"},
    {"FatChainLoop", [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 3, unitOf(f, "WordDocument", 1)); },
     "sector chain of stream \"WordDocument\" loops"},
    {"SectorPastEndOfFile", [](BuiltCompoundFile& f) { setFatLink(f, "Storage/Inner", 0, 70000); },
     "sector chain of stream \"Storage/Inner\" points outside the file"},
    {"FreeSectorInChain", [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 0, 0xFFFFFFFF); },
     "sector chain of stream \"WordDocument\" is broken"},
    {"ChainShorterThanSize", [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 2, 0xFFFFFFFE); },
     "sector chain of stream \"WordDocument\" ends before the end of its data"},
    {"SizeLargerThanFile", [](BuiltCompoundFile& f) { f.set32(f.entryOffset("WordDocument") + 0x78, 0x7FFFFFF0); },
     "stream \"WordDocument\" is larger than the file"},
    {"DirectoryChainLoop",
     [](BuiltCompoundFile& f) { f.set32(f.fatEntryOffset(f.directorySectors[0]), f.directorySectors[0]); },
     "sector chain of the directory loops"},
    {"DirectoryStartBroken", [](BuiltCompoundFile& f) { f.set32(0x30, 0xFFFFFFFD); },
     "sector chain of the directory is broken"},
    {"NoRootEntry", [](BuiltCompoundFile& f) { f.bytes[f.entryOffset("") + 0x42] = 1; }, "directory has no root entry"},
    {"DirectoryTreeCycle",
     [](BuiltCompoundFile& f) { f.set32(f.entryOffset("Storage/Inner") + 0x44, f.entries.at("Storage")); },
     "directory tree reaches entry 4 twice"},
    {"DirectoryTreeSelfLoop", [](BuiltCompoundFile& f) { f.set32(f.entryOffset("Data") + 0x48, f.entries.at("Data")); },
     "directory tree reaches entry 3 twice"},
    {"DirectoryTreeOutside", [](BuiltCompoundFile& f) { f.set32(f.entryOffset("") + 0x4C, 9999); },
     "directory tree points outside the directory"},
    {"UnknownEntryType", [](BuiltCompoundFile& f) { f.bytes[f.entryOffset("Data") + 0x42] = 7; },
     "directory tree reaches entry 3, which is neither a storage nor a stream"},
    {"MiniFatPointsOutsideMiniStream", [](BuiltCompoundFile& f) { setMiniFatLink(f, "1Table", 0, 500); },
     "mini sector chain of stream \"1Table\" points outside the mini stream"},
    {"MiniFatLoop", [](BuiltCompoundFile& f) { setMiniFatLink(f, "Data", 0, unitOf(f, "Data", 0)); },
     "mini sector chain of stream \"Data\" loops"},
    {"MiniFatStartPastEnd", [](BuiltCompoundFile& f) { f.set32(0x3C, 0x00FFFFFF); },
     "sector chain of the mini FAT points outside the file"},
    {"HugeMiniStreamSize", [](BuiltCompoundFile& f) { f.set32(f.entryOffset("") + 0x78, 0xFFFFFFFF); },
     "mini stream is larger than its sector chain"},
    {"DifatLoop", [](BuiltCompoundFile& f) { f.set32(f.sectorOffset(f.difatSectors[0]) + 508, f.difatSectors[0]); },
     "DIFAT loops", 240},
    {"DifatPointsOutside", [](BuiltCompoundFile& f) { f.set32(0x44, 0x00FFFFFF); }, "DIFAT points outside the file",
     110},
    {"DifatEndsEarly", [](BuiltCompoundFile& f) { f.set32(0x44, 0xFFFFFFFE); },
     "DIFAT ends before it lists every FAT sector", 110},
};

class CompoundFileHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(CompoundFileHostile, RefusesWithTheDamagedStructure)
{
    BuiltCompoundFile file = wordLikeFile(GetParam().fatSectors);
    ASSERT_EQ(reasonFor(file), "(read)");
    GetParam().damage(file);

    EXPECT_EQ(reasonFor(file), messages::damagedStructure("the compound file's " + GetParam().reason));
}

INSTANTIATE_TEST_SUITE_P(Rows, CompoundFileHostile, ::testing::ValuesIn(kHostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

struct LengthCase {
    const char* name;
    std::function<void(BuiltCompoundFile&)> damage;
    std::string reason; // "(read)" when the file is read whole
};

// Sectors the FAT lists past the end of the file are lost data when a chain reaches them, whichever stream
// it is (growing the file would turn them into zeros), and harmless when no chain does.
TEST(CompoundFileLength, AChainIntoLostSectorsIsRefusedWhereverItIs)
{
    const std::string cutShort =
        "the document's structure is damaged (the file ends before its last sector; it may have been cut short)";
    const LengthCase cases[] = {
        {"last sectors cut off", [](BuiltCompoundFile& f) { f.bytes.resize(f.bytes.size() - 2 * f.sectorSize); },
         cutShort},
        {"chain of a stream the restyle never reads runs past the end",
         [](BuiltCompoundFile& f) {
             setFatLink(f, "Storage/Inner", 0, static_cast<std::uint32_t>(f.bytes.size() / 512));
         },
         cutShort},
        {"mini FAT starts past the end", [](BuiltCompoundFile& f) { f.set32(0x3C, f.bytes.size() / 512 + 3); },
         cutShort},
        {"last sector short by a few bytes", [](BuiltCompoundFile& f) { f.bytes.resize(f.bytes.size() - 100); },
         "(read)"},
    };
    for (const LengthCase& row : cases) {
        SCOPED_TRACE(row.name);
        BuiltCompoundFile file = wordLikeFile(1);
        row.damage(file);
        EXPECT_EQ(reasonFor(file), row.reason);
    }
    const BuiltCompoundFile tailUsed =
        CompoundFileBuilder(3).stream("WordDocument", std::string(5000, 'w')).fatTailUsed().build();
    EXPECT_EQ(reasonFor(tailUsed), "(read)");
}

struct HostileUpdateCase {
    const char* name;
    std::function<void(BuiltCompoundFile&)> damage;
    std::string stream;
    std::size_t newSize;
    std::string reason; // after "the compound file's"
};

const std::vector<HostileUpdateCase> kHostileUpdateCases = {
    {"ChainRunsIntoAnotherStream",
     [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 9, unitOf(f, "Storage/Inner", 2)); }, "WordDocument",
     9000, "sector chain of stream \"WordDocument\" overlaps another part of the file"},
    {"ChainRunsIntoTheDirectory", [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 9, f.directorySectors[0]); },
     "WordDocument", 9000, "sector chain of stream \"WordDocument\" overlaps another part of the file"},
    {"AnotherStreamRunsIntoTheDirectory",
     [](BuiltCompoundFile& f) { setFatLink(f, "Storage/Inner", 11, f.directorySectors[0]); }, "WordDocument", 9000,
     "directory, allocation tables or mini stream overlap another part of the file"},
    {"MiniStreamRunsIntoTheDirectory",
     [](BuiltCompoundFile& f) { f.set32(f.fatEntryOffset(f.miniStreamSectors.back()), f.directorySectors[0]); }, "Data",
     200, "directory, allocation tables or mini stream overlap another part of the file"},
    {"MiniChainRunsIntoAnotherStream",
     [](BuiltCompoundFile& f) { setMiniFatLink(f, "Data", 1, unitOf(f, "1Table", 5)); }, "Data", 200,
     "mini sector chain of stream \"Data\" overlaps another part of the file"},
    {"GrownStreamLoops", [](BuiltCompoundFile& f) { setFatLink(f, "WordDocument", 9, unitOf(f, "WordDocument", 0)); },
     "WordDocument", 9000, "sector chain of stream \"WordDocument\" loops"},
    {"MovedStreamsMiniChainLoops", [](BuiltCompoundFile& f) { setMiniFatLink(f, "Data", 1, unitOf(f, "Data", 0)); },
     "Data", 5000, "mini sector chain of stream \"Data\" loops"},
};

class CompoundFileHostileUpdate : public ::testing::TestWithParam<HostileUpdateCase> {};

// A chain that is damaged past the stream's end, or that shares sectors, reads well but must not be written.
TEST_P(CompoundFileHostileUpdate, RefusesToWriteThroughDamage)
{
    const HostileUpdateCase& row = GetParam();
    BuiltCompoundFile file = wordLikeFile(1);
    row.damage(file);
    const CompoundFile parsed = CompoundFile::parse(file.bytes);

    try {
        parsed.withStreams({{row.stream, std::string(row.newSize, 'n')}});
        ADD_FAILURE() << "the damaged file was updated";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.what(), messages::damagedStructure("the compound file's " + row.reason));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CompoundFileHostileUpdate, ::testing::ValuesIn(kHostileUpdateCases),
                         [](const ::testing::TestParamInfo<HostileUpdateCase>& info) { return info.param.name; });

} // namespace
} // namespace glyphmere::docengine
