#include "HostileCases.h"
#include "common/FileStatus.h"
#include "package_test_support.h"
#include "round_trip_support.h"
#include "support/SystemFileSystem.h"
#include "support/TestDocuments.h"

#include "docengine/container/CompoundFile.h"
#include "docengine/session/EngineAutomation.h"
#include "docengine/EngineMessages.h"
#include "word/RestyleDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace glyphmere::docengine {

std::string hostile::restyleReason(const std::string& path)
{
    EngineAutomation automation;
    const word::RestyleResult result = word::RestyleDocument(automation, testing_support::systemFileSystem(),
                                                             word::FixedOptions("Arial", "12", true), path);
    EXPECT_EQ(automation.liveInstanceCount(), 0u) << "the failed instance was not ended";
    return result.ok ? "(changed)" : result.reason;
}

namespace {

using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;
using namespace glyphmere::docengine::hostile;

std::vector<PackageEntry> withoutEntry(std::vector<PackageEntry> entries, const std::string& name)
{
    std::erase_if(entries, [&name](const PackageEntry& entry) { return entry.first == name; });
    return entries;
}

std::string fixtureDoc() { return readFile(GLYPHMERE_TEST_DATA "/doc/headers.doc"); }

// The fixture with 32-bit fields of one stream replaced (in place: the stream keeps its size).
std::string patchedDoc(const std::string& stream, std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields)
{
    const CompoundFile file = CompoundFile::parse(fixtureDoc());
    std::string bytes = *file.readStream(stream);
    for (const auto& [offset, value] : fields)
        bytes.replace(offset, 4, littleEndian(value, 4));
    return file.withStreams({{stream, bytes}});
}

std::uint32_t fibField(std::size_t offset)
{
    const std::string wordDocument = *CompoundFile::parse(fixtureDoc()).readStream("WordDocument");
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(wordDocument[offset + i]);
    return value;
}

// The fixture with its first piece's text placed at `fc` (compressed) in the WordDocument stream.
std::string docWithFirstPieceAt(std::uint32_t fc)
{
    const std::size_t clx = fibField(0x1A2);
    const std::size_t pieces = (fibField(0x1A6) - 5 - 4) / 12;
    return patchedDoc("1Table", {{clx + 5 + (pieces + 1) * 4 + 2, fc * 2 | 0x40000000}});
}

// A document whose Data stream (grown out of the mini stream) comes last, cut short by two sectors: the
// restyle reads everything but that stream.
std::string docCutShortInItsLastStream()
{
    const CompoundFile file = CompoundFile::parse(readFile(GLYPHMERE_TEST_DATA "/doc/picture.doc"));
    std::string grown = file.withStreams({{"Data", *file.readStream("Data") + std::string(8192, 'd')}});
    grown.resize(grown.size() - 2 * 512);
    return grown;
}

// The fixture with bits set in one byte of its document properties.
std::string patchedDocProperties(std::size_t offset, char bits)
{
    const CompoundFile file = CompoundFile::parse(fixtureDoc());
    const std::string wordDocument = *file.readStream("WordDocument");
    const std::string tableName = wordDocument[0x0B] & 0x02 ? "1Table" : "0Table";
    std::string table = *file.readStream(tableName);
    const std::size_t dop = static_cast<unsigned char>(wordDocument[0x192]) |
                            static_cast<unsigned char>(wordDocument[0x193]) << 8 |
                            static_cast<std::size_t>(static_cast<unsigned char>(wordDocument[0x194])) << 16;
    table[dop + offset] = static_cast<char>(table[dop + offset] | bits);
    return file.withStreams({{tableName, table}});
}

TEST(HostileInput, EachIsRefusedWithItsReasonAndTheFileStaysAsItWas)
{
    const auto package = [](std::vector<PackageEntry> entries) {
        return [entries](const std::string& path) { writePackage(path, entries); };
    };
    const auto bytes = [](std::string content) {
        return [content](const std::string& path) { writeFile(path, content); };
    };
    const HostileCase cases[] = {
        {"not a zip", bytes("Dear reader,\nthis is plain text.\n"), messages::kNotAWordDocument},
        {"truncated zip",
         [](const std::string& path) {
             writePackage(path, minimalDocx(kBody));
             const std::string whole = readFile(path);
             writeFile(path, whole.substr(0, whole.size() / 2));
         },
         "the document's package is damaged (", true},
        {"missing main part", package(withoutEntry(minimalDocx(kBody), "word/document.xml")),
         "not a Word document (it has no main document part)"},
        {"malformed XML", package(minimalDocx("<w:p><w:r><w:t>Hello</w:r></w:p>")),
         "the part word/document.xml is damaged (", true},
        {"zip bomb",
         [](const std::string& path) { writeBombPackage(path, std::uint64_t{257} << 20, "word/document.xml"); },
         messages::kTooLarge},
        {"encrypted", bytes(compoundFile({u"EncryptedPackage"})), messages::kPasswordProtected},
        {"malformed compound file", bytes(compoundFile({})), "the document's structure is damaged (", true},
        {"truncated .doc", bytes(fixtureDoc().substr(0, 3000)), "the document's structure is damaged (", true},
        {"Word 6/95", bytes(patchedDoc("WordDocument", {{0x02, 0x0065}, {0x20, 0x1200}})), messages::kOldWordVersion},
        {"Word 97 with a damaged version", bytes(patchedDoc("WordDocument", {{0x02, 0x0065}})),
         "the document's structure is damaged (the file information block has Word 97's layout", true},
        {"Word 97 with damaged counts", bytes(patchedDoc("WordDocument", {{0x20, 0x0016000F}})),
         "the document's structure is damaged (the file information block's counts of its fields are wrong)"},
        {"document properties placed on the font table", bytes(patchedDoc("WordDocument", {{0x192, fibField(0x112)}})),
         "the document's structure is damaged (the document properties overlap another structure of the table "
         "stream)"},
        {"piece of text inside the FIB", bytes(docWithFirstPieceAt(0x80)),
         "the document's structure is damaged (a piece of text lies inside a file information block)"},
        {"cut short in a stream the restyle does not read", bytes(docCutShortInItsLastStream()),
         "the document's structure is damaged (the file ends before its last sector; it may have been cut short)"},
        {"piece table outside its stream", bytes(patchedDoc("WordDocument", {{0x1A2, 0x7FFFFFF0}})),
         "the document's structure is damaged (the piece table runs past", true},
        {"huge bin table count", bytes(patchedDoc("WordDocument", {{0xFE, 0xFFFFFFF0}})),
         "the document's structure is damaged (the character property bin table runs past", true},
        {"protected .doc", bytes(patchedDocProperties(7, 0x02)), messages::kProtectedAgainstEditing},
        {".doc tracking changes", bytes(patchedDocProperties(5, char(0x80))), messages::kTracksChanges},
        {"signed", package(minimalDocx(kBody, {{"_xmlsignatures/sig1.xml", "<Signature/>"}})),
         "the document is digitally signed, and changing it would break its signatures"},
        {"locked",
         [](const std::string& path) {
             writePackage(path, minimalDocx(kBody));
             writeFile(path.substr(0, path.rfind('/')) + "/~$report.docx", "owner");
         },
         messages::lockedBy("~$report.docx")},
        {"protected",
         package(
             round_trip::documentWithSettings(kBody, R"(<w:documentProtection w:edit="readOnly" w:enforcement="1"/>)")),
         "the document is protected against editing"},
    };
    std::vector<HostileCase> rows(std::begin(cases), std::end(cases));
    for (HostileCase& row : systemHostileCases())
        rows.push_back(std::move(row));
    for (const HostileCase& row : rows) {
        SCOPED_TRACE(row.label);
        TemporaryFolder folder;
        const std::string path = folder.file("report.docx");
        row.make(path);
        const std::string before = readFile(path);
        const auto listingBefore = folderListing(folder.path());
        const common::FileStatus statusBefore = common::statusOf(path);

        const std::string reason = row.restyle ? row.restyle(path) : restyleReason(path);

        if (row.reasonIsPrefix)
            EXPECT_THAT(reason, StartsWith(row.reason));
        else
            EXPECT_EQ(reason, row.reason);
        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(folderListing(folder.path()), listingBefore) << "a temporary file was left behind";
        const common::FileStatus statusAfter = common::statusOf(path);
        EXPECT_EQ(statusAfter.mode, statusBefore.mode);
        EXPECT_EQ(statusAfter.fileId, statusBefore.fileId) << "the file was replaced";
    }
}

} // namespace
} // namespace glyphmere::docengine
