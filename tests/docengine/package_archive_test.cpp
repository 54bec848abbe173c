#include "docengine/ooxml/ZipArchiveReader.h"

#include "common/FileHandle.h"
#include "docengine/EngineError.h"
#include "docengine/ooxml/PackageWriter.h"
#include "docengine/ooxml/LibzipArchive.h"
#include "docengine/ooxml/ZipCentralDirectory.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <limits>
#include <map>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

common::FileHandle openForReading(const std::string& path) { return common::FileHandle::openForReading(path); }

// What reading the stored names gives: the names with their Unicode Path fields, or the refusal.
template <typename Source>
std::string storedNamesOrRefusal(const Source& source)
{
    try {
        std::string listing;
        for (const StoredEntryName& entry : readStoredEntryNames(source))
            listing += entry.name + "|" + entry.unicodePath.value_or("-") + "\n";
        return listing;
    } catch (const EngineError& error) {
        return std::string("refused: ") + error.what();
    }
}

std::string archiveOpenRefusal(const common::FileHandle& fd, std::uint64_t largestHeld)
{
    return testing_support::errorText<EngineError>([&] { ZipArchiveReader::open(fd, largestHeld); });
}

std::vector<std::string> inflatedEntries(const ZipArchiveReader& archive)
{
    std::vector<std::string> entries;
    ReadBudget budget;
    const auto count = static_cast<zip_uint64_t>(zip_get_num_entries(archive.get(), 0));
    for (zip_uint64_t index = 0; index < count; ++index)
        entries.push_back(readZipEntry(archive.get(), index, budget));
    return entries;
}

// The directory reader must take the same bytes the same way whether they come from the file or from
// memory: the same names, or the same refusal, also when records point past the end.
TEST(ZipArchiveReader, StoredNamesReadAlikeFromFileAndFromMemory)
{
    TemporaryFolder folder;
    const std::string basePath = folder.file("base.docx");
    writePackage(basePath, minimalDocx("<w:p/>"));
    const std::string base = readFile(basePath);
    const std::size_t end = base.size() - 22;
    const std::string withComment = base.substr(0, base.size() - 2) + littleEndian(7, 2) + "comment";
    // A zip64 end record is announced, and its locator points so near the end that the record runs past it.
    const std::string zip64Marked = base.substr(0, end + 10) + littleEndian(0xFFFF, 2) + base.substr(end + 12);
    const std::string zip64Locator = "PK\x06\x07" + littleEndian(0, 4) + littleEndian(end - 10, 8) + littleEndian(1, 4);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"whole", base},
        {"archive comment", withComment},
        {"end record cut", base.substr(0, base.size() - 10)},
        {"directory cut", base.substr(0, end - 30) + base.substr(end)},
        {"directory past the end", base.substr(0, end + 16) + littleEndian(base.size(), 4) + base.substr(end + 20)},
        {"zip64 without locator", zip64Marked},
        {"zip64 record past the end", base.substr(0, end) + zip64Locator + zip64Marked.substr(end)},
        {"no zip", std::string(100, 'x')},
    };
    for (const auto& testCase : cases) {
        const std::string path = folder.file("case.zip");
        writeFile(path, testCase.bytes);
        const common::FileHandle fd = openForReading(path);
        const std::string fromFile = storedNamesOrRefusal(fd);
        EXPECT_EQ(storedNamesOrRefusal(std::string_view(testCase.bytes)), fromFile) << testCase.what;
        if (std::string_view(testCase.what) == "whole" || std::string_view(testCase.what) == "archive comment")
            EXPECT_NE(fromFile.rfind("refused", 0), 0u) << testCase.what << ": " << fromFile;
        else
            EXPECT_EQ(fromFile.rfind("refused", 0), 0u) << testCase.what << ": " << fromFile;
    }
}

// A held archive and one over the file read the same entries, copy them to the same bytes, and the held
// one keeps reading the package as it was opened, whatever later happens to the file or its descriptor.
TEST(ZipArchiveReader, HeldAndFileArchivesReadAndCopyAlike)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writePackage(path, minimalDocx("<w:p/>", {{"word/media/a.bin", std::string(70000, 'a')}}));
    const std::vector<std::string> expected = [&] {
        std::vector<std::string> bytes;
        for (const PackageEntry& entry : readPackage(path))
            bytes.push_back(entry.second);
        return bytes;
    }();

    common::FileHandle fd = openForReading(path);
    ZipArchiveReader held = ZipArchiveReader::open(fd);
    EXPECT_EQ(held.heldBytes(), readFile(path));
    EXPECT_EQ(held.storedEntryNames().size(), expected.size());
    const std::map<zip_uint64_t, const std::string*> noReplacements;
    writeFile(folder.file("held.docx"), "");
    writePackageCopy(folder.file("held.docx"), held.get(), noReplacements);
    {
        // Gone before the file is written anew: Windows does not replace a file that a reader holds open.
        ZipArchiveReader fromFile = ZipArchiveReader::open(fd, 0);
        EXPECT_TRUE(fromFile.heldBytes().empty());
        EXPECT_EQ(fromFile.storedEntryNames().size(), expected.size());
        writeFile(folder.file("from-file.docx"), "");
        writePackageCopy(folder.file("from-file.docx"), fromFile.get(), noReplacements);
        EXPECT_EQ(readFile(folder.file("held.docx")), readFile(folder.file("from-file.docx")));
    }

    fd.reset();
    writePackage(path, minimalDocx("<w:p>other</w:p>"));
    EXPECT_EQ(inflatedEntries(held), expected);

    // Taking another archive's place leaves the taken one reading its own bytes.
    const common::FileHandle otherFd = openForReading(folder.file("held.docx"));
    held = ZipArchiveReader::open(otherFd);
    EXPECT_EQ(inflatedEntries(held), expected);
}

TEST(ZipArchiveReader, DamagedPackageIsRefusedAlikeHeldOrNot)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writePackage(path, minimalDocx("<w:p/>"));
    const std::string bytes = readFile(path);
    for (const std::string& damaged : {bytes.substr(0, bytes.size() / 2), std::string(64, '\0')}) {
        writeFile(path, damaged);
        const common::FileHandle fd = openForReading(path);
        const std::string held = archiveOpenRefusal(fd, std::numeric_limits<std::uint64_t>::max());
        EXPECT_EQ(held.rfind("the document's package is damaged (", 0), 0u) << held;
        EXPECT_EQ(held, archiveOpenRefusal(fd, 0));
    }
}

} // namespace
} // namespace glyphmere::docengine
