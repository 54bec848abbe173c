#include "SavedDocumentCheck.h"

#include "docengine/binary/Fib.h"
#include "docengine/binary/PieceTable.h"
#include "docengine/container/CompoundFile.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace glyphmere::fuzz {
namespace {

using ::testing::HasSubstr;
using namespace glyphmere::testing_support;
using docengine::CompoundFile;

std::string packageBytes(const std::vector<PackageEntry>& entries)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writePackage(path, entries);
    return readFile(path);
}

std::string fixtureDoc(const char* name) { return readFile(std::string(GLYPHMERE_TEST_DATA "/doc/") + name); }

// The document with one stream's bytes changed by `change` (in place: the stream keeps its size).
std::string withStream(const std::string& document, const std::string& stream,
                       const std::function<void(std::string&)>& change)
{
    const CompoundFile file = CompoundFile::parse(document);
    std::string bytes = *file.readStream(stream);
    change(bytes);
    return file.withStreams({{stream, bytes}});
}

// The first character of the document's text as the piece table places it, changed.
std::string withFirstCharacterChanged(const std::string& document)
{
    const CompoundFile file = CompoundFile::parse(document);
    const std::string wordDocument = *file.readStream("WordDocument");
    const docengine::Fib fib = docengine::Fib::parse(wordDocument);
    const std::string table = *file.readStream(std::string(fib.tableStreamName()));
    const docengine::FcLcb clx = fib.pair(docengine::FibPair::Clx);
    const auto pieces = docengine::PieceTable::parse(std::string_view(table).substr(clx.fc, clx.lcb),
                                                     wordDocument.size(), fib.parts.cpCount());
    const std::uint32_t at = pieces.pieces().front().fc;
    return withStream(document, "WordDocument", [at](std::string& bytes) { bytes[at] ^= 0x01; });
}

// A document whose last stream, the one a restyle does not read, was cut short, and the same file padded
// back with zeros, as growing it in place would pad it.
std::pair<std::string, std::string> cutShortAndPadded()
{
    const CompoundFile file = CompoundFile::parse(fixtureDoc("picture.doc"));
    std::string cut = file.withStreams({{"Data", *file.readStream("Data") + std::string(8192, 'd')}});
    cut.resize(cut.size() - 2 * 512);
    std::string padded = cut;
    padded.resize(cut.size() + 2 * 512, '\0');
    return {cut, padded};
}

struct LookCase {
    const char* label;
    std::string before, after;
    std::string breach; // "" when the saved document holds
};

TEST(StrictLook, CatchesWhatTheEnginesOwnReaderLetsThrough)
{
    const std::string body = "<w:p><w:r><w:t>Hello</w:t></w:r></w:p>";
    const std::string restyled = "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Hello</w:t></w:r></w:p>";
    const std::string docx = packageBytes(minimalDocx(body));
    const std::string doc = fixtureDoc("headers.doc");
    const auto [cut, padded] = cutShortAndPadded();
    std::string corrupted = docx;
    corrupted[corrupted.find("word/document.xml") + 30] ^= 0x55; // in the entry's compressed data
    const LookCase cases[] = {
        {"package saved with new run properties", docx, packageBytes(minimalDocx(restyled)), ""},
        {"entry that no longer inflates", docx, corrupted, "the saved package fails the strict look"},
        {"part edited though not well-formed", packageBytes(minimalDocx(R"(<w:p w:rsidR="1" w:rsidR="2"/>)" + body)),
         packageBytes(minimalDocx(R"(<w:p w:rsidR="1" w:rsidR="2"/>)" + restyled)), "which was not well-formed"},
        {"part edited into markup that is not well-formed", docx, packageBytes(minimalDocx(body + "&nbsp;")),
         "not well-formed"},
        {"text of a part changed", docx, packageBytes(minimalDocx("<w:p><w:r><w:t>Hullo</w:t></w:r></w:p>")),
         "the text of word/document.xml changed"},
        {".doc as it was", doc, doc, ""},
        {".doc whose text changed", doc, withFirstCharacterChanged(doc), "the text the piece table gives changed"},
        {".doc with another stream changed", doc,
         withStream(doc, "\005SummaryInformation", [](std::string& bytes) { bytes[8] ^= 0x01; }),
         "the stream \005SummaryInformation changed"},
        {".doc cut short, then padded", cut, padded, "the stream Data changed"},
    };
    for (const LookCase& row : cases) {
        SCOPED_TRACE(row.label);
        const std::string breach = savedDocumentBreach(row.before, row.after);
        if (row.breach.empty())
            EXPECT_EQ(breach, "");
        else
            EXPECT_THAT(breach, HasSubstr(row.breach));
    }
}

} // namespace
} // namespace glyphmere::fuzz
