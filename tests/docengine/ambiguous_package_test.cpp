// Packages whose bytes are written here by hand, so they can hold what no zip library writes: entry names
// that readers take differently, and stored data that fails its checksum.
#include "EngineRestyle.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace glyphmere::docengine {
namespace {

using ::testing::StartsWith;
using namespace glyphmere::testing_support;

std::uint32_t crc32Of(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string le(std::uint64_t value, std::size_t bytes) { return package_testing::littleEndian(value, bytes); }

// One stored (uncompressed) entry; unicodePath adds an Info-ZIP Unicode Path field (0x7075) whose
// checksum matches the raw name, as a reader that honours the field expects.
struct HandEntry {
    std::string rawName;
    std::string data;
    std::optional<std::string> unicodePath = std::nullopt;
    bool badCrc = false;
};

std::string handMadeZip(const std::vector<HandEntry>& entries)
{
    std::string local;
    std::string central;
    for (const HandEntry& entry : entries) {
        std::string extra;
        if (entry.unicodePath) {
            const std::string field = "\x01" + le(crc32Of(entry.rawName), 4) + *entry.unicodePath;
            extra = le(0x7075, 2) + le(field.size(), 2) + field;
        }
        const std::uint32_t crc = crc32Of(entry.data) ^ (entry.badCrc ? 0x5A5A5A5Au : 0u);
        const std::string common = le(20, 2) + le(0x0800, 2) + le(0, 2) + le(0, 2) + le(0x21, 2) + le(crc, 4) +
                                   le(entry.data.size(), 4) + le(entry.data.size(), 4) + le(entry.rawName.size(), 2) +
                                   le(extra.size(), 2);
        const std::size_t offset = local.size();
        local += "PK\x03\x04" + common + entry.rawName + extra + entry.data;
        central += "PK\x01\x02" + le(20, 2) + common + le(0, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(offset, 4) +
                   entry.rawName + extra;
    }
    return local + central + "PK\x05\x06" + le(0, 2) + le(0, 2) + le(entries.size(), 2) + le(entries.size(), 2) +
           le(central.size(), 4) + le(local.size(), 4) + le(0, 2);
}

const std::string kBody = "<w:p><w:r><w:t>What Word shows</w:t></w:r></w:p>";
const std::string kOtherBody = "<w:p><w:r><w:t>What another reader shows</w:t></w:r></w:p>";

// A complete small document, its main part last so that cases can add entries around it.
std::vector<HandEntry> documentEntries()
{
    std::vector<HandEntry> entries;
    for (const PackageEntry& part : minimalDocx(kBody))
        entries.push_back({part.first, part.second});
    return entries;
}

std::string mainPartOf(const std::string& body)
{
    for (const PackageEntry& part : minimalDocx(body)) {
        if (part.first == "word/document.xml")
            return part.second;
    }
    return {};
}

std::string restyleReason(const std::string& path)
{
    const std::string reason = hostile::restyleWithEngine(path, true, "Arial", "12");
    return reason.empty() ? "(changed)" : reason;
}

struct AmbiguousCase {
    const char* label;
    std::vector<HandEntry> extraEntries;
    std::string reason;
};

TEST(HandMadePackage, WellFormed_IsRestyled)
{
    TemporaryFolder folder;
    const std::string path = folder.file("report.docx");
    writeFile(path, handMadeZip(documentEntries()));

    EXPECT_EQ(restyleReason(path), "(changed)");
}

TEST(HandMadePackage, NamesThatReadersTakeDifferently_AreRefusedAndTheFileStaysAsItWas)
{
    const std::string other = mainPartOf(kOtherBody);
    const AmbiguousCase cases[] = {
        {"the same raw name twice", {{"word/document.xml", other}}, "the entry name \"word/document.xml\" occurs"},
        {"names equal but for case", {{"Word/Document.XML", other}}, "the entry name \"Word/Document.XML\" occurs"},
        {"names equal but for a leading slash",
         {{"/word/document.xml", other}},
         "the entry name \"/word/document.xml\""},
        {"a raw duplicate hidden by a Unicode path",
         {{"word/document.xml", other, "word/unused.xml"}},
         "the entry \"word/document.xml\" is also named \"word/unused.xml\""},
        {"a Unicode path that takes over the main part's name",
         {{"word/spare.xml", other, "word/document.xml"}},
         "the entry \"word/spare.xml\" is also named \"word/document.xml\""},
    };
    for (const AmbiguousCase& row : cases) {
        SCOPED_TRACE(row.label);
        std::vector<HandEntry> entries = documentEntries();
        entries.insert(entries.end(), row.extraEntries.begin(), row.extraEntries.end());
        TemporaryFolder folder;
        const std::string path = folder.file("report.docx");
        writeFile(path, handMadeZip(entries));
        const std::string before = readFile(path);

        EXPECT_THAT(restyleReason(path), StartsWith("the document's package is damaged (" + row.reason));
        EXPECT_EQ(readFile(path), before);
    }
}

TEST(HandMadePackage, UnicodePathEqualToTheRawName_IsNoAmbiguity)
{
    std::vector<HandEntry> entries = documentEntries();
    entries.push_back({"word/media/note.txt", "note", "word/media/note.txt"});
    TemporaryFolder folder;
    const std::string path = folder.file("report.docx");
    writeFile(path, handMadeZip(entries));

    EXPECT_EQ(restyleReason(path), "(changed)");
}

// An entry the restyle copies without reading it: its stored data must still match its checksum, or
// the saved document would carry the damage on as if it were sound.
TEST(HandMadePackage, CopiedEntryFailingItsChecksum_IsRefusedAndTheFileStaysAsItWas)
{
    for (const std::string damaged : {"word/media/image1.png", "word/document.xml"}) {
        std::vector<HandEntry> entries = documentEntries();
        entries.push_back({"word/media/image1.png", std::string(3000, 'p')});
        for (HandEntry& entry : entries)
            entry.badCrc = entry.rawName == damaged;
        TemporaryFolder folder;
        const std::string path = folder.file("report.docx");
        writeFile(path, handMadeZip(entries));
        const std::string before = readFile(path);

        EXPECT_THAT(restyleReason(path), StartsWith("the document's package is damaged (")) << damaged;
        EXPECT_EQ(readFile(path), before) << damaged;
    }
}

} // namespace
} // namespace glyphmere::docengine
