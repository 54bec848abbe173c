#include "docengine/EngineError.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/LibzipArchive.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

const std::string kDamaged = "the document's package is damaged (";

std::string readRefusal(const ZipPackage& package, const std::string& name)
{
    return testing_support::errorText<EngineError>([&] { package.read(name); });
}

TEST(PackageRead, EntriesComeInflatedInArchiveOrderAndNamesMatchLikeParts)
{
    TemporaryFolder folder;
    const auto entries = minimalDocx("<w:p/>", {{"word/Header1.xml", "<w:hdr/>"}});
    writePackage(folder.file("d.docx"), entries);
    const auto package = ZipPackage::open(folder.file("d.docx"));
    std::vector<std::string> names;
    for (const auto& entry : entries)
        names.push_back(entry.first);
    EXPECT_EQ(package->entryNames(), names);
    EXPECT_EQ(package->read("word/document.xml"), entries[2].second);
    EXPECT_EQ(package->read("/word/header1.xml"), "<w:hdr/>");
    EXPECT_TRUE(package->hasEntry("/WORD/document.xml"));
    EXPECT_FALSE(package->hasEntry("word/footer1.xml"));
    EXPECT_THAT(readRefusal(*package, "word/footer1.xml"), HasSubstr("no part named \"word/footer1.xml\""));
}

TEST(PackageRead, RealZipBombIsRefusedFromItsSizeWithoutInflating)
{
    TemporaryFolder folder;
    writeBombPackage(folder.file("bomb.docx"), std::uint64_t{300} << 20);
    const auto package = ZipPackage::open(folder.file("bomb.docx"));
    EXPECT_EQ(readRefusal(*package, "word/media/bomb.bin"), messages::kTooLarge);
    EXPECT_EQ(readRefusal(*package, "word/document.xml"), "");
}

TEST(PackageRead, EntryWhoseDataOutgrowsItsHeaderStopsThere)
{
    TemporaryFolder folder;
    const std::string path = folder.file("liar.docx");
    const std::uint64_t realSize = (std::uint64_t{8} << 20) + 7;
    writePackage(path, minimalDocx("<w:p/>", {{"word/media/big.bin", std::string(realSize, 'a')}}));
    patchFile(path, littleEndian(realSize, 4), littleEndian(1000, 4));
    const auto package = ZipPackage::open(path);
    EXPECT_THAT(readRefusal(*package, "word/media/big.bin"), StartsWith(kDamaged));
}

TEST(PackageRead, CorruptDataIsReportedAsDamage)
{
    TemporaryFolder folder;
    const std::string path = folder.file("crc.docx");
    writePackage(path, minimalDocx("<w:p/>"));
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    zip_stat_t stat;
    zip_stat(archive, "word/document.xml", 0, &stat);
    zip_discard(archive);
    patchFile(path, littleEndian(stat.crc, 4), littleEndian(stat.crc ^ 0x5A5A, 4));
    const std::string before = readFile(path);

    const auto package = ZipPackage::open(path);
    EXPECT_THAT(readRefusal(*package, "word/document.xml"), AllOf(StartsWith(kDamaged), HasSubstr("CRC")));
    EXPECT_EQ(readRefusal(*package, "_rels/.rels"), "");
    EXPECT_EQ(readFile(path), before);
}

TEST(PackageRead, BudgetCountsEveryEntryAndAllReadsTogether)
{
    TemporaryFolder folder;
    const std::string path = folder.file("budget.docx");
    writePackage(path, {{"a.xml", std::string(100, 'a')}, {"b.xml", std::string(60, 'b')}});
    const ZipArchivePtr archive = openZipArchive(common::FileHandle::openForReading(path));

    ReadBudget budget{99, 1000};
    EXPECT_THROW(readZipEntry(archive.get(), 0, budget), EngineError);
    budget = ReadBudget{100, 219};
    EXPECT_EQ(readZipEntry(archive.get(), 0, budget).size(), 100u);
    EXPECT_EQ(readZipEntry(archive.get(), 1, budget).size(), 60u);
    EXPECT_EQ(budget.used, 160u);
    try {
        readZipEntry(archive.get(), 1, budget);
        ADD_FAILURE() << "the third read should pass the budget";
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()), messages::kTooLarge);
    }
}

} // namespace
} // namespace glyphmere::docengine
