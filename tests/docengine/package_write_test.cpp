#include "docengine/files/SaveDeferral.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/DeflateCodec.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/ooxml/PackageWriter.h"
#include "docengine/ooxml/ZipEntryInflate.h"
#include "OutsideReaders.h"
#include "common/FileStatus.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <random>
#include <thread>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

// A story as a restyle leaves it, under the root element and namespaces that word processors write:
// paragraphs of runs, each with its font and size, some bold or italic, words from a small vocabulary as
// reports have, now and then a table. A header is one short paragraph.
std::string wordprocessingMl(std::size_t approximateSize, unsigned seed, const char* root = "w:document")
{
    static const char* const namespaces[][2] = {
        {"wpc", "http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas"},
        {"mc", "http://schemas.openxmlformats.org/markup-compatibility/2006"},
        {"o", "urn:schemas-microsoft-com:office:office"},
        {"r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships"},
        {"m", "http://schemas.openxmlformats.org/officeDocument/2006/math"},
        {"v", "urn:schemas-microsoft-com:vml"},
        {"wp14", "http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing"},
        {"wp", "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"},
        {"w10", "urn:schemas-microsoft-com:office:word"},
        {"w", "http://schemas.openxmlformats.org/wordprocessingml/2006/main"},
        {"w14", "http://schemas.microsoft.com/office/word/2010/wordml"},
        {"wpg", "http://schemas.microsoft.com/office/word/2010/wordprocessingGroup"},
        {"wpi", "http://schemas.microsoft.com/office/word/2010/wordprocessingInk"},
        {"wne", "http://schemas.microsoft.com/office/word/2006/wordml"},
        {"wps", "http://schemas.microsoft.com/office/word/2010/wordprocessingShape"}};
    static const char* const words[] = {
        "the",    "report", "shows", "that",     "our",      "quarterly", "results", "improved", "across",
        "every",  "region", "while", "costs",    "stayed",   "within",    "budget",  "agreed",   "by",
        "board",  "and",    "teams", "their",    "projects", "on",        "time",    "revenue",  "grew",
        "margin", "sales",  "of",    "customer", "growth",   "forecast",  "next",    "year",     "plan"};
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    const std::string properties = "<w:rFonts w:ascii=\"Liberation Serif\" w:hAnsi=\"Liberation Serif\"/>"
                                   "<w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/>";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<" + std::string(root);
    for (const auto& [prefix, uri] : namespaces)
        xml += " xmlns:" + std::string(prefix) + "=\"" + uri + "\"";
    xml += " mc:Ignorable=\"w14 wp14\">";
    const bool document = std::string_view(root) == "w:document";
    if (document)
        xml += "<w:body>";
    for (unsigned paragraph = 0; paragraph == 0 || xml.size() < approximateSize; ++paragraph) {
        const bool inTable = paragraph % 17 == 16;
        xml += inTable ? "<w:tbl><w:tr><w:tc><w:p>" : "<w:p>";
        xml += "<w:pPr>" + std::string(document ? "" : "<w:pStyle w:val=\"Header\"/>") + "<w:rPr>" + properties +
               "</w:rPr></w:pPr>";
        for (std::size_t run = 0, runs = document ? 1 + pick(3) : 1; run < runs; ++run) {
            const char* emphasis = run == 1 ? (pick(2) ? "<w:b/>" : "<w:i/>") : "";
            xml += "<w:r><w:rPr>" + properties + emphasis + "</w:rPr><w:t xml:space=\"preserve\">";
            for (std::size_t word = 0, count = document ? 4 + pick(40) : 3; word < count; ++word)
                xml += std::string(words[pick(std::size(words))]) + (word + 1 < count ? " " : ". ");
            xml += "</w:t></w:r>";
        }
        xml += inTable ? "</w:p></w:tc></w:tr></w:tbl>" : "</w:p>";
    }
    return xml + (document ? "<w:sectPr/></w:body></w:document>" : "</" + std::string(root) + ">");
}

// What libzip makes of bytes with zlib at the given level.
std::size_t zlibDeflatedSize(const std::string& folder, const std::string& bytes, int level)
{
    const std::string path = folder + "/zlib.zip";
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, "part.xml", source, 0);
    EXPECT_EQ(zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, level), 0);
    EXPECT_EQ(zip_close(archive), 0);
    return storedEntries(path).at(0).rawBytes.size();
}

// The parts a restyle changes, together as one package holds them: a main part of the given size with its
// header and footer. A package is what must come out no larger than zlib's level 6 would make it; a lone
// header of a kilobyte may differ by a byte or two either way.
TEST(PackageWrite, ChangedPartsComeOutNoLargerThanZlibLevel6)
{
    TemporaryFolder folder;
    const std::pair<std::size_t, unsigned> documents[] = {{8000, 6}, {50000, 6}, {400000, 6}, {kLargePart + 1, 1}};
    for (const auto& [size, seeds] : documents) {
        for (unsigned seed = 1; seed <= seeds; ++seed) {
            SCOPED_TRACE("a main part of " + std::to_string(size) + " bytes, seed " + std::to_string(seed));
            std::size_t ours = 0;
            std::size_t zlib = 0;
            for (const char* root : {"w:hdr", "w:ftr", "w:document"}) {
                const std::string part =
                    wordprocessingMl(std::string_view(root) == "w:document" ? size : 0, seed, root);
                ours += deflateWhole(part).size;
                zlib += zlibDeflatedSize(folder.path(), part, 6);
            }
            EXPECT_LE(ours, zlib);
        }
    }
}

// The bytes of the named entry in the package at path.
std::string entryBytes(const std::string& path, const std::string& name)
{
    for (const auto& [entryName, bytes] : readPackage(path)) {
        if (entryName == name)
            return bytes;
    }
    ADD_FAILURE() << "no entry " << name << " in " << path;
    return "";
}

// Stores the named entry of the package at path as it is, uncompressed.
void storeUncompressed(const std::string& path, const std::string& name)
{
    zip_t* archive = zip_open(path.c_str(), 0, nullptr);
    ASSERT_NE(archive, nullptr);
    const zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
    ASSERT_GE(index, 0);
    ASSERT_EQ(zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
}

// A package with a header and a stored picture besides the main part.
void writeSourcePackage(const std::string& path)
{
    writePackage(path, minimalDocx("<w:p/>", {{"word/header1.xml", "<w:hdr/>"},
                                              {"word/media/image1.png", std::string(3000, '\x89')}}));
    storeUncompressed(path, "word/media/image1.png");
}

TEST(PackageWrite, ReplacedPartsAreStoredAsLibdeflateMadeThemAndEveryReaderTakesThePackage)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeSourcePackage(path);
    const auto package = ZipPackage::open(path);
    const std::string body = wordprocessingMl(60000, 7);
    const std::string header = wordprocessingMl(0, 8, "w:hdr");
    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", body}, {"word/header1.xml", header}}), "");

    const std::map<std::string, const std::string*> replaced = {{"word/document.xml", &body},
                                                                {"word/header1.xml", &header}};
    for (const StoredEntry& entry : storedEntries(path)) {
        if (!replaced.count(entry.name))
            continue;
        SCOPED_TRACE(entry.name);
        const DeflatedBytes expected = deflateWhole(*replaced.at(entry.name));
        EXPECT_EQ(entry.method, ZIP_CM_DEFLATE);
        EXPECT_TRUE(entry.rawBytes == std::string(expected.data.get(), expected.size));
    }
    EXPECT_TRUE(package->read("word/document.xml") == body);
    EXPECT_TRUE(entryBytes(path, "word/header1.xml") == header);

    expectOutsideReadersTakePackage(path);
}

// Entries a save copies, small (checked whole) and above the bound (streamed), deflated and stored: each is
// checked before the new package is put in place, and a damaged one is refused with the reason and leaves
// no trace.
TEST(PackageWrite, CopiedEntriesAreCheckedBeforeTheSaveWhateverTheirSizeAndMethod)
{
    const std::size_t large = kLargestWholeCheck + 4099;
    const struct {
        const char* label;
        std::size_t size;
        bool stored;
    } entries[] = {
        {"small, deflated", 5003, false},
        {"small, stored", 5003, true},
        {"large, deflated", large, false},
        {"large, stored", large, true},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        std::string data = wordprocessingMl(5000, 3);
        data.resize(entry.size, ' ');
        writePackage(path, minimalDocx("<w:p/>", {{"word/media/data.bin", data}}));
        if (entry.stored)
            storeUncompressed(path, "word/media/data.bin");
        const std::string sound = readFile(path);
        const std::uint32_t crc = crc32Of(data);

        ASSERT_EQ(saveRefusal(*ZipPackage::open(path), {{"word/document.xml", "<w:document/>"}}), "");
        EXPECT_TRUE(entryBytes(path, "word/media/data.bin") == data);

        const struct {
            const char* label;
            std::string from, to, reason;
        } damages[] = {
            {"checksum", littleEndian(crc, 4), littleEndian(crc ^ 0x5A5A, 4), "CRC"},
            // Stored data ends where its header says, so a size too small shows in its checksum.
            {"size", littleEndian(entry.size, 4), littleEndian(entry.size - 3, 4),
             entry.stored ? "CRC" : "holds more data than its header says"},
        };
        for (const auto& damage : damages) {
            SCOPED_TRACE(damage.label);
            writeFile(path, sound);
            patchFile(path, damage.from, damage.to);
            const std::string damaged = readFile(path);
            EXPECT_THAT(saveRefusal(*ZipPackage::open(path), {{"word/document.xml", "<w:document/>"}}),
                        AllOf(StartsWith("the document's package is damaged ("), HasSubstr(damage.reason)));
            EXPECT_EQ(readFile(path), damaged);
            EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
        }
    }
}

// A deferred save leaves the check of its copied entries to the commit, which may run on another thread
// while the next document is restyled: the save itself succeeds, the commit refuses, nothing is left.
TEST(PackageWrite, DeferredSaveChecksItsCopiedEntriesWhenCommitted)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    const std::string data = wordprocessingMl(5000, 3);
    writePackage(path, minimalDocx("<w:p/>", {{"word/media/data.bin", data}}));
    patchFile(path, littleEndian(crc32Of(data), 4), littleEndian(crc32Of(data) ^ 0x5A5A, 4));
    const std::string damaged = readFile(path);

    std::vector<PendingSave> saves;
    {
        SaveDeferral deferral;
        ASSERT_EQ(saveRefusal(*packageDeferringTo(deferral, path), {{"word/document.xml", "<w:document/>"}}), "");
        saves = deferral.take(path);
    }
    ASSERT_EQ(saves.size(), 1u);
    std::string refusal;
    std::thread([&] {
        try {
            saves[0].commit();
        } catch (const EngineError& error) {
            refusal = error.what();
        }
    }).join();
    EXPECT_THAT(refusal, AllOf(StartsWith("the document's package is damaged ("), HasSubstr("CRC")));
    saves.clear();
    EXPECT_EQ(readFile(path), damaged);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
}

// The archive goes into the very file it is given, never into one of libzip's own beside it.
TEST(PackageWrite, ArchiveIsWrittenIntoTheGivenFileAndNothingElse)
{
    TemporaryFolder folder;
    writeSourcePackage(folder.file("d.docx"));
    zip_t* source = zip_open(folder.file("d.docx").c_str(), ZIP_RDONLY, nullptr);
    ASSERT_NE(source, nullptr);
    const std::string target = folder.file("new.docx");
    writeFile(target, "");
    const std::uint64_t fileBefore = common::statusOf(target).fileId;
    const std::string body = wordprocessingMl(20000, 5);

    writePackageCopy(target, source, {{2, &body}});
    EXPECT_EQ(common::statusOf(target).fileId, fileBefore);
    EXPECT_TRUE(entryBytes(target, "word/document.xml") == body);
    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"d.docx", "new.docx"}));
    zip_discard(source);
}

} // namespace
} // namespace glyphmere::docengine
