#include "CompoundFileBuilder.h"
#include "OleFileReader.h"

#include "docengine/container/CompoundFile.h"
#include "common/FileHandle.h"
#include "docengine/EngineError.h"
#include "docengine/files/ContentSniff.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <functional>

namespace glyphmere::docengine {
namespace {

using namespace binary_testing;

// Bytes that differ by stream and by position, so a misplaced sector shows.
std::string patterned(std::size_t size, int seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + i / 251 + seed * 7 + 1) & 0xFF);
    return bytes;
}

using Streams = std::map<std::string, std::string>;

// The streams at the paths of `expected`, as the reader reads them (a missing one is empty, and shows).
Streams readAll(const CompoundFile& file, const Streams& expected)
{
    Streams streams;
    for (const auto& [path, content] : expected)
        streams[path] = file.readStream(path).value_or("(missing)");
    return streams;
}

CompoundFileBuilder builderWith(int version, const std::vector<std::pair<std::string, std::size_t>>& sizes,
                                Streams& contents)
{
    CompoundFileBuilder builder(version);
    for (const auto& [path, size] : sizes) {
        contents[path] = patterned(size, static_cast<int>(contents.size()));
        builder.stream(path, contents[path]);
    }
    return builder;
}

class CompoundFileReading : public ::testing::TestWithParam<int> {};

TEST_P(CompoundFileReading, EveryStreamReadsExactlyItsBytes)
{
    Streams contents;
    const BuiltCompoundFile built = builderWith(GetParam(),
                                                {{"WordDocument", 70000},
                                                 {"1Table", 4095},
                                                 {"Cutoff", 4096},
                                                 {"Empty", 0},
                                                 {"One", 1},
                                                 {"\005SummaryInformation", 200},
                                                 {"ObjectPool/_1/\001Ole", 20},
                                                 {"ObjectPool/_1/CONTENTS", 9000},
                                                 {"Macros/VBA/dir", 700}},
                                                contents)
                                        .build();
    const CompoundFile file = CompoundFile::parse(built.bytes);

    EXPECT_EQ(readAll(file, contents), contents);
    expectOutsideReaderReads(built.bytes, contents);
    EXPECT_TRUE(file.hasEntry("objectpool/_1/contents"));
    EXPECT_TRUE(file.hasEntry("MACROS/vba"));
    EXPECT_EQ(file.readStream("wordDOCUMENT"), contents["WordDocument"]);
    EXPECT_EQ(file.readStream("Macros"), std::nullopt) << "a storage is not a stream";
    EXPECT_EQ(file.readStream("Missing"), std::nullopt);
    EXPECT_FALSE(file.hasEntry("ObjectPool/_2"));
}

INSTANTIATE_TEST_SUITE_P(Versions, CompoundFileReading, ::testing::Values(3, 4));

TEST(CompoundFile, ShortLastSectorReadsAsZeroPadded)
{
    Streams contents;
    BuiltCompoundFile built = builderWith(3, {{"WordDocument", 5000}, {"Zlast", 5000}}, contents).build();
    built.bytes.resize(built.bytes.size() - 100);

    EXPECT_EQ(readAll(CompoundFile::parse(built.bytes), contents), contents);
}

// Byte ranges of the original file that an update may change; everything else must stay.
struct Changeable {
    std::vector<bool> bytes;
    explicit Changeable(std::size_t size) : bytes(size) {}
    void allow(std::uint64_t at, std::uint64_t count)
    {
        for (std::uint64_t i = at; i < at + count && i < bytes.size(); ++i)
            bytes[i] = true;
    }
};

Changeable changeableBytes(const BuiltCompoundFile& built, const Streams& grown)
{
    Changeable changeable(built.bytes.size());
    changeable.allow(0x2C, 4);                                 // FAT sector count
    changeable.allow(0x3C, 16);                                // mini FAT and DIFAT starts and counts
    changeable.allow(0x4C + built.fatSectors.size() * 4, 512); // free FAT slots
    for (const auto* table : {&built.fatSectors, &built.miniFatSectors, &built.difatSectors}) {
        for (const std::uint32_t sector : *table)
            changeable.allow(built.sectorOffset(sector), built.sectorSize);
    }
    changeable.allow(built.entryOffset("") + 0x74, 12); // the mini stream's start and size
    const std::uint64_t miniStreamSize = built.get32(built.entryOffset("") + 0x78);
    for (std::size_t i = 0; i < built.miniStreamSectors.size(); ++i) {
        const std::uint64_t used = std::min<std::uint64_t>(
            built.sectorSize, miniStreamSize - std::min<std::uint64_t>(miniStreamSize, i * built.sectorSize));
        changeable.allow(built.sectorOffset(built.miniStreamSectors[i]) + used, built.sectorSize - used);
    }
    for (const auto& [path, content] : grown) {
        changeable.allow(built.entryOffset(path) + 0x74, 12);
        const StreamPlacement& placement = built.streams.at(path);
        for (const std::uint32_t unit : placement.units) {
            changeable.allow(placement.inMiniStream ? built.miniSectorOffset(unit) : built.sectorOffset(unit),
                             placement.inMiniStream ? 64 : built.sectorSize);
        }
    }
    return changeable;
}

void expectOnlyChangeableBytesDiffer(const BuiltCompoundFile& built, const std::string& saved, const Streams& grown)
{
    const Changeable changeable = changeableBytes(built, grown);
    ASSERT_GE(saved.size(), built.bytes.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < built.bytes.size(); ++i) {
        if (!changeable.bytes[i] && saved[i] != built.bytes[i] && differing++ < 5)
            ADD_FAILURE() << "byte " << i << " changed";
    }
    EXPECT_EQ(differing, 0u);
}

struct GrowthCase {
    const char* name;
    int version;
    std::vector<std::pair<std::string, std::size_t>> streams;
    std::vector<std::pair<std::string, std::size_t>> grownSizes;
    std::function<void(CompoundFileBuilder&)> shape = [](CompoundFileBuilder&) {};
    std::size_t cutShort = 0;
    const char* tablesAfter = nullptr; // the header's FAT and DIFAT counts after the update
};

std::string tableCountsOf(const std::string& bytes)
{
    return std::to_string(static_cast<unsigned char>(bytes[0x2C]) | static_cast<unsigned char>(bytes[0x2D]) << 8) +
           " FAT, " + std::to_string(static_cast<unsigned char>(bytes[0x48])) + " DIFAT";
}

class CompoundFileGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(CompoundFileGrowth, GrowsInPlaceAndReadsBackEverywhere)
{
    const GrowthCase& row = GetParam();
    Streams contents;
    CompoundFileBuilder builder = builderWith(row.version, row.streams, contents);
    row.shape(builder);
    BuiltCompoundFile built = builder.build();
    built.bytes.resize(built.bytes.size() - row.cutShort);
    Streams grown;
    for (const auto& [path, size] : row.grownSizes)
        grown[path] = contents[path] = patterned(size, 100 + static_cast<int>(grown.size()));

    const std::string saved = CompoundFile::parse(built.bytes).withStreams(grown);

    EXPECT_EQ(readAll(CompoundFile::parse(saved), contents), contents);
    expectOutsideReaderReads(saved, contents);
    expectOnlyChangeableBytesDiffer(built, saved, grown);
    EXPECT_EQ(saved.size() % built.sectorSize, 0u) << "a short last sector is padded before anything follows";
    if (row.tablesAfter) {
        EXPECT_EQ(tableCountsOf(saved), row.tablesAfter);
    }
}

const std::vector<std::pair<std::string, std::size_t>> kWordFile = {
    {"WordDocument", 5000}, {"1Table", 3000}, {"Data", 50},
    {"\001CompObj", 80},    {"Empty", 0},     {"ObjectPool/_1/CONTENTS", 4500}};

const auto kUsedFatTail = [](CompoundFileBuilder& builder) { builder.fatTailUsed(); };

INSTANTIATE_TEST_SUITE_P(
    Rows, CompoundFileGrowth,
    ::testing::Values(GrowthCase{"MiniStreamStaysMiniV3", 3, kWordFile, {{"1Table", 4095}, {"Data", 51}}},
                      GrowthCase{"MiniStreamStaysMiniV4", 4, kWordFile, {{"1Table", 3500}}},
                      GrowthCase{"MiniStreamMovesOutV3", 3, kWordFile, {{"1Table", 4096}}},
                      GrowthCase{"MiniStreamMovesOutV4", 4, kWordFile, {{"1Table", 9000}}},
                      GrowthCase{"WithinLastSector", 3, kWordFile, {{"WordDocument", 5100}}},
                      GrowthCase{"AppendsSectorsV3", 3, kWordFile, {{"WordDocument", 40000}}},
                      GrowthCase{"AppendsSectorsV4", 4, kWordFile, {{"WordDocument", 40000}}},
                      GrowthCase{"EmptyStreams", 3, kWordFile, {{"Empty", 10}}},
                      GrowthCase{"EmptyStreamToRegular", 3, kWordFile, {{"Empty", 5000}}},
                      GrowthCase{"FirstMiniStream", 3, {{"WordDocument", 5000}, {"Empty", 0}}, {{"Empty", 700}}},
                      GrowthCase{"FirstMiniStreamV4", 4, {{"WordDocument", 5000}, {"Empty", 0}}, {{"Empty", 4095}}},
                      GrowthCase{
                          "SeveralAtOnce",
                          3,
                          kWordFile,
                          {{"WordDocument", 20000}, {"1Table", 5000}, {"Data", 60}, {"ObjectPool/_1/CONTENTS", 4600}}},
                      GrowthCase{"NewFatSectorV3", 3, kWordFile, {{"WordDocument", 9000}}, kUsedFatTail},
                      GrowthCase{"NewFatSectorV4", 4, kWordFile, {{"WordDocument", 9000}}, kUsedFatTail},
                      GrowthCase{"NewFatSectorForMiniStream", 3, kWordFile, {{"1Table", 4000}}, kUsedFatTail},
                      GrowthCase{"NewDifatSector",
                                 3,
                                 kWordFile,
                                 {{"WordDocument", 6000}},
                                 [](CompoundFileBuilder& builder) { builder.fatSectors(109).fatTailUsed(); },
                                 0,
                                 "110 FAT, 1 DIFAT"},
                      GrowthCase{"ExistingDifatSector",
                                 3,
                                 kWordFile,
                                 {{"WordDocument", 6000}},
                                 [](CompoundFileBuilder& builder) { builder.fatSectors(120).fatTailUsed(); },
                                 0,
                                 "121 FAT, 1 DIFAT"},
                      GrowthCase{"ShortLastSector",
                                 3,
                                 {{"WordDocument", 5000}, {"Zlast", 5000}},
                                 {{"WordDocument", 9000}},
                                 [](CompoundFileBuilder&) {},
                                 100}),
    [](const ::testing::TestParamInfo<GrowthCase>& info) { return info.param.name; });

TEST(CompoundFile, NewSectorsAreZeroAfterTheirBytes)
{
    Streams contents;
    const BuiltCompoundFile built = builderWith(3, {{"WordDocument", 5000}}, contents).build();

    const std::string saved = CompoundFile::parse(built.bytes).withStreams({{"WordDocument", patterned(6000, 1)}});

    // 6000 bytes take 12 sectors, the last holding 368 of them; it is the file's last sector.
    ASSERT_EQ(saved.size(), built.bytes.size() + 2 * 512);
    EXPECT_EQ(saved.substr(saved.size() - 512, 368), patterned(6000, 1).substr(5632));
    EXPECT_EQ(saved.substr(saved.size() - 144), std::string(144, '\0'));
}

TEST(CompoundFile, UnreadDamagedStreamDoesNotStopAnUpdate)
{
    Streams contents;
    BuiltCompoundFile built = builderWith(3, {{"WordDocument", 5000}, {"Data", 5000}}, contents).build();
    built.set32(built.fatEntryOffset(built.streams.at("Data").units[1]), built.streams.at("Data").units[0]);

    const CompoundFile file = CompoundFile::parse(built.bytes);
    const std::string saved = file.withStreams({{"WordDocument", patterned(8000, 3)}});

    EXPECT_EQ(CompoundFile::parse(saved).readStream("WordDocument"), patterned(8000, 3));
    EXPECT_THROW(file.readStream("Data"), EngineError);
}

TEST(CompoundFile, FatSectorMarkedEndOfChainStillReadsAndGrows)
{
    Streams contents;
    BuiltCompoundFile built = builderWith(3, {{"WordDocument", 5000}, {"1Table", 300}}, contents).build();
    built.set32(built.fatEntryOffset(built.fatSectors[0]), 0xFFFFFFFE);
    contents["WordDocument"] = patterned(70000, 5);

    const std::string saved =
        CompoundFile::parse(built.bytes).withStreams({{"WordDocument", contents["WordDocument"]}});

    EXPECT_EQ(readAll(CompoundFile::parse(saved), contents), contents);
    EXPECT_EQ(built.bytes.substr(built.fatEntryOffset(built.fatSectors[0]), 4),
              saved.substr(built.fatEntryOffset(built.fatSectors[0]), 4));
}

TEST(CompoundFile, RefusesWhatAnInPlaceUpdateCannotDo)
{
    Streams contents;
    const CompoundFile file = CompoundFile::parse(builderWith(3, kWordFile, contents).build().bytes);
    const auto reasonFor = [&](const Streams& grown) {
        return testing_support::errorText<EngineError>([&] { file.withStreams(grown); }, "(saved)");
    };

    EXPECT_EQ(reasonFor({{"WordDocument", "short"}}),
              "the compound file's stream \"WordDocument\" would shrink, which an in-place update does not do");
    EXPECT_EQ(reasonFor({{"ObjectPool", "x"}}), "the compound file has no stream \"ObjectPool\"");
}

TEST(CompoundFile, RefusesToGrowAVersion3FilePast2GB)
{
    // FAT entries marked used up to 2 GB leave no sector number below the limit to append at.
    Streams contents;
    const BuiltCompoundFile built =
        builderWith(3, {{"WordDocument", 5000}}, contents).fatSectors(32769).fatTailUsed().build();

    EXPECT_EQ(testing_support::errorText<EngineError>([&] {
                  CompoundFile::parse(built.bytes).withStreams({{"WordDocument", patterned(6000, 0)}});
              }),
              "the document would grow past 2 GB, the most its compound file (version 3) can hold");
}

// The sniffer reads a compound file with this same reader, so an encrypted package whose allocation table
// goes on past the header's 109 sectors is recognised through the DIFAT; with the DIFAT cut off, the
// table cannot be read and the file is left to the Word 97-2003 layer, which names the damage.
TEST(CompoundFile, EncryptedPackageWithItsTableListedInTheDifat_IsSniffedAsEncrypted)
{
    testing_support::TemporaryFolder folder;
    const std::string path = folder.file("encrypted.docx");
    BuiltCompoundFile built = CompoundFileBuilder()
                                  .stream("EncryptionInfo", patterned(200, 1))
                                  .stream("EncryptedPackage", patterned(9000, 2))
                                  .fatSectors(120)
                                  .build();
    ASSERT_FALSE(built.difatSectors.empty());
    const auto sniff = [&path](const std::string& bytes) {
        testing_support::writeFile(path, bytes);
        return sniffContent(common::FileHandle::openForReading(path), bytes.size());
    };
    EXPECT_EQ(sniff(built.bytes), FileContent::EncryptedPackage);
    built.set32(0x44, 0xFFFFFFFE); // the header's first DIFAT sector
    EXPECT_EQ(sniff(built.bytes), FileContent::WordBinaryDocument);
}

} // namespace
} // namespace glyphmere::docengine
