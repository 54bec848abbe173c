// Hostile markup through the whole path the batch takes: open, font pass on the main text, the current
// page's header and footer, save. Each document is either saved with the new font and its other content
// intact, or refused with the engine's reason and left byte-identical.

#include "EngineRestyle.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using hostile::openRefusalOfEngine;
using hostile::restyleWithEngine;

const std::string kNewFont = R"(<w:rFonts w:ascii="DejaVu Sans" w:hAnsi="DejaVu Sans"/>)";
const std::string kHeaderRelationship =
    R"(<Relationship Id="rH1" Target="header1.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header"/>)";
const std::string kHeaderReference = R"(<w:sectPr><w:headerReference w:type="default" r:id="rH1"/></w:sectPr>)";

const std::string kRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::u16string asUtf16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// UTF-16LE bytes, without a byte order mark.
std::string utf16le(const std::u16string& text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string repeated(const std::string& text, int times)
{
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string nested(const std::string& open, const std::string& inner, const std::string& close, int depth)
{
    return repeated(open, depth) + inner + repeated(close, depth);
}

std::string headerPart(const std::string& inside)
{
    return std::string(R"(<w:hdr xmlns:w=")") + kWordNamespace + R"(">)" + inside + "</w:hdr>";
}

// A document whose body and current-page header are given.
std::vector<PackageEntry> documentWithHeader(const std::string& body, const std::string& header)
{
    return minimalDocx(body + kHeaderReference, {{"word/header1.xml", headerPart(header)}}, kHeaderRelationship);
}

std::vector<PackageEntry> withPart(std::vector<PackageEntry> entries, const std::string& name, std::string bytes)
{
    for (auto& [entry, old] : entries)
        if (entry == name)
            old = std::move(bytes);
    return entries;
}

std::string partOf(const std::string& path, const std::string& name)
{
    for (const auto& [entry, bytes] : readPackage(path))
        if (entry == name)
            return bytes;
    return {};
}

struct SavedCase {
    const char* label;
    std::function<std::vector<PackageEntry>()> package;
    std::function<void(const std::string& path)> check;
};

constexpr int kDepth = 20000; // far beyond any real document, and beyond what recursion would survive

std::string utf16MainPart()
{
    return "\xFF\xFE" + utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:document xmlns:w=\"" +
                                asUtf16(kWordNamespace) + u"\" xmlns:r=\"" + asUtf16(kRelationships) +
                                u"\"><w:body><w:p><w:r><w:t>\u00E9t\u00E9 \U0001D11E</w:t></w:r></w:p>" +
                                asUtf16(kHeaderReference) + u"</w:body></w:document>");
}

std::vector<SavedCase> savedCases(const std::string& hugeValue)
{
    return {
        {"deep nesting in body and header",
         [] {
             return documentWithHeader(
                 nested("<w:customXml>", "<w:p><w:r><w:t>deep</w:t></w:r></w:p>", "</w:customXml>", kDepth),
                 nested("<w:sdt><w:sdtContent>", "<w:p/>", "</w:sdtContent></w:sdt>", kDepth));
         },
         [](const std::string& path) {
             EXPECT_THAT(partOf(path, "word/document.xml"), HasSubstr("<w:r><w:rPr>" + kNewFont));
             EXPECT_THAT(partOf(path, "word/header1.xml"), HasSubstr("<w:p><w:pPr><w:rPr>" + kNewFont));
         }},
        {"deep nesting of unknown elements",
         [] { return minimalDocx(nested("<x:a xmlns:x=\"urn:x\">", "<w:p/>", "</x:a>", kDepth)); },
         [](const std::string& path) {
             EXPECT_THAT(partOf(path, "word/document.xml"), HasSubstr("<w:p><w:pPr><w:rPr>" + kNewFont));
         }},
        {"huge attributes",
         [&] {
             return minimalDocx(R"(<w:p w:rsidR=")" + hugeValue + R"("><w:r><w:rPr><w:rFonts w:ascii=")" + hugeValue +
                                R"("/></w:rPr><w:t>a</w:t></w:r></w:p>)");
         },
         [&](const std::string& path) {
             const std::string document = partOf(path, "word/document.xml");
             EXPECT_THAT(document, HasSubstr(R"(<w:p w:rsidR=")" + hugeValue + R"(">)"));
             EXPECT_THAT(document, HasSubstr("<w:r><w:rPr>" + kNewFont));
             EXPECT_LT(document.size(), 2 * hugeValue.size());
         }},
        {"UTF-16 main part",
         [] { return withPart(documentWithHeader("", "<w:p/>"), "word/document.xml", utf16MainPart()); },
         [](const std::string& path) {
             const std::string document = partOf(path, "word/document.xml");
             EXPECT_THAT(document, StartsWith("\xFF\xFE<\0?\0"));
             EXPECT_THAT(document, HasSubstr(utf16le(u"<w:r><w:rPr>" + asUtf16(kNewFont))));
             EXPECT_THAT(document, HasSubstr(utf16le(u"\u00E9t\u00E9 \U0001D11E</w:t>")));
             EXPECT_THAT(partOf(path, "word/header1.xml"), HasSubstr(kNewFont));
         }},
        {"damaged markup in a part that is only copied",
         [] {
             return minimalDocx("<w:p><w:r><w:t>s</w:t></w:r></w:p>",
                                {{"customXml/item1.xml", R"(<a b="1" b="2">&nbsp;</a>)"}});
         },
         [](const std::string& path) {
             EXPECT_EQ(partOf(path, "customXml/item1.xml"), R"(<a b="1" b="2">&nbsp;</a>)");
             EXPECT_THAT(partOf(path, "word/document.xml"), HasSubstr("<w:r><w:rPr>" + kNewFont));
         }},
        {"damaged markup in a header that is not the current page's",
         [] {
             const std::string evenPages = R"(<Relationship Id="rH2" Target="header2.xml" )"
                                           R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
                                           R"(relationships/header"/>)";
             return minimalDocx("<w:p><w:r><w:t>s</w:t></w:r></w:p>" + kHeaderReference,
                                {{"word/header1.xml", headerPart("<w:p/>")},
                                 {"word/header2.xml", headerPart(R"(<w:p w:rsidR="1" w:rsidR="2"/>)")}},
                                kHeaderRelationship + evenPages);
         },
         [](const std::string& path) {
             EXPECT_EQ(partOf(path, "word/header2.xml"), headerPart(R"(<w:p w:rsidR="1" w:rsidR="2"/>)"));
             EXPECT_THAT(partOf(path, "word/header1.xml"), HasSubstr(kNewFont));
         }},
        {"strict namespaces",
         [] {
             auto entries = documentWithHeader("<w:p><w:r><w:t>s</w:t></w:r></w:p>", "<w:p/>");
             for (auto& entry : entries) {
                 replaceAll(entry.second, kWordNamespace, "http://purl.oclc.org/ooxml/wordprocessingml/main");
                 replaceAll(entry.second, kRelationships, "http://purl.oclc.org/ooxml/officeDocument/relationships");
             }
             return entries;
         },
         [](const std::string& path) {
             EXPECT_THAT(partOf(path, "word/document.xml"), HasSubstr("<w:r><w:rPr>" + kNewFont));
             EXPECT_THAT(partOf(path, "word/header1.xml"), HasSubstr(kNewFont));
         }},
    };
}

TEST(HostileMarkup, DocumentsThatMustBeSavedAreSavedWholeAndReopen)
{
    const std::string hugeValue(4u << 20, 'x');
    for (const auto& [label, package, check] : savedCases(hugeValue)) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writePackage(path, package());
        ASSERT_EQ(restyleWithEngine(path, true), "");
        check(path);
        EXPECT_EQ(openRefusalOfEngine(path), "");
    }
}

// A document type that declares entities, nested a billion times over when expanded. The parser never
// expands them, and writing the part back would turn each reference into literal text.
std::string billionLaughs(const std::string& use)
{
    std::string declarations = R"(<!ENTITY lol "lol">)";
    for (int level = 1; level <= 9; ++level) {
        const std::string previous = level == 1 ? "lol" : "lol" + std::to_string(level - 1);
        declarations += "<!ENTITY lol" + std::to_string(level) + " \"" + repeated("&" + previous + ";", 10) + "\">";
    }
    return R"(<?xml version="1.0"?><!DOCTYPE w:document [)" + declarations + R"(]><w:document xmlns:w=")" +
           kWordNamespace + R"("><w:body><w:p><w:r><w:t>)" + use + "</w:t></w:r></w:p></w:body></w:document>";
}

// Flips bytes in the middle of the stored data of word/document.xml.
void corruptMainPartData(std::string& bytes)
{
    const auto name = bytes.find("word/document.xml");
    const auto dataStart = name + std::string("word/document.xml").size();
    for (std::size_t i = dataStart + 10; i < dataStart + 40; i += 3)
        bytes[i] = static_cast<char>(bytes[i] ^ 0xA5);
}

const std::string kDocumentTypeRefused =
    "the part word/document.xml has a document type declaration, which a Word document may not have";

std::uint32_t fieldAt(const std::string& bytes, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Changes a field of the entry's central directory record (which follows every local header, so its name is
// the last occurrence) or of its local header (the first).
std::function<void(std::string&)> patchZipRecord(const std::string& entry, bool directory, std::size_t field,
                                                 std::size_t width, std::function<std::uint32_t(std::uint32_t)> change)
{
    return [=](std::string& bytes) {
        const std::size_t record = directory ? bytes.rfind(entry) - 46 : bytes.find(entry) - 30;
        const std::uint32_t value = change(fieldAt(bytes, record + field, width));
        bytes.replace(record + field, width, package_testing::littleEndian(value, width));
    };
}

const std::string kDisagree = "the document's package is damaged (the zip directory and the local header of ";
const std::string kNotWellFormed = "the part word/document.xml is not well-formed XML (";

struct RefusedCase {
    const char* label;
    std::function<std::vector<PackageEntry>()> package;
    std::function<void(std::string& bytes)> damage;
    std::string reason;
};

std::vector<RefusedCase> refusedCases()
{
    const auto withMainPart = [](const std::string& xml) {
        return withPart(minimalDocx(""), "word/document.xml", xml);
    };
    const auto untouched = [](std::string&) {};
    std::vector<RefusedCase> cases{
        {"billion laughs", [=] { return withMainPart(billionLaughs("&lol9;")); }, untouched, kDocumentTypeRefused},
        {"entities declared, none used", [=] { return withMainPart(billionLaughs("a")); }, untouched,
         kDocumentTypeRefused},
        {"zip bomb as the current page's header (257 MiB of blanks in 260 KB)",
         [] { return withPart(documentWithHeader("<w:p/>", ""), "word/header1.xml", std::string(257u << 20, ' ')); },
         untouched, "the document is too large"},
        {"corrupted compressed data", [] { return minimalDocx("<w:p/>"); }, corruptMainPartData,
         "the document's package is damaged ("},
        {"truncated in the central directory", [] { return minimalDocx("<w:p/>"); },
         [](std::string& bytes) { bytes.resize(bytes.size() - 30); }, "the document's package is damaged ("},
    };
    const auto zipCase = [](const char* label, const std::function<void(std::string&)>& damage, std::string reason) {
        return RefusedCase{label, [] { return minimalDocx("<w:p/>"); }, damage, std::move(reason)};
    };
    const auto minus2 = [](std::uint32_t v) { return v - 2; };
    cases.insert(
        cases.end(),
        {
            zipCase("directory's compressed size two bytes short", patchZipRecord("_rels/.rels", true, 20, 4, minus2),
                    kDisagree + "\"_rels/.rels\" disagree on its compressed size)"),
            zipCase("local header's size two bytes short", patchZipRecord("_rels/.rels", false, 22, 4, minus2),
                    kDisagree + "\"_rels/.rels\" disagree on its size)"),
            zipCase("directory's checksum",
                    patchZipRecord("word/document.xml", true, 16, 4, [](auto v) { return v ^ 1; }),
                    kDisagree + "\"word/document.xml\" disagree on its checksum)"),
            zipCase("directory's method", patchZipRecord("word/document.xml", true, 10, 2, [](auto) { return 0; }),
                    kDisagree + "\"word/document.xml\" disagree on its compression method)"),
            zipCase("directory's name", patchZipRecord("_rels/.rels", true, 46 + 10, 1, [](auto) { return 'z'; }),
                    kDisagree + "\"_rels/.relz\" disagree on its name)"),
            zipCase(
                "size after the data disagrees with the directory's",
                [](std::string& bytes) {
                    bytes = readFile(GLYPHMERE_TEST_DATA "/libreoffice.docx"); // data descriptors after entries
                    patchZipRecord("word/document.xml", true, 24, 4, [](auto v) { return v + 1; })(bytes);
                },
                kDisagree + "\"word/document.xml\" disagree on its size)"),
            zipCase(
                "local extra field runs past the entry",
                patchZipRecord("word/document.xml", false, 28, 2, [](auto) { return 0xFFFF; }),
                "the document's package is damaged (the local header of \"word/document.xml\" runs past the entry's "
                "data into the zip directory)"),
            zipCase("sizes of 0xFFFFFFFF without 64-bit ones",
                    patchZipRecord("word/document.xml", true, 20, 4, [](auto) { return 0xFFFFFFFF; }),
                    "the document's package is damaged (the entry \"word/document.xml\" gives a size or place of "
                    "0xFFFFFFFF without the 64-bit value it stands for)"),
        });
    const std::pair<const char*, std::string> damagedMarkup[] = {
        {"duplicate attribute", R"(<w:p w:rsidR="1" w:rsidR="2"/>)"},
        {"duplicate namespace declaration", R"(<w:p xmlns:x="urn:x" xmlns:x="urn:x"/>)"},
        {"encoded lone surrogate", "<w:p><w:r><w:t>\xED\xA0\x80</w:t></w:r></w:p>"},
        {"undefined entity", "<w:p><w:r><w:t>&nbsp;</w:t></w:r></w:p>"},
        {"malformed character reference", "<w:p><w:r><w:t>&#xZZ;</w:t></w:r></w:p>"},
    };
    for (const auto& [label, body] : damagedMarkup)
        cases.push_back({label, [body] { return minimalDocx(body); }, untouched, kNotWellFormed});
    cases.push_back({"NUL after the root element",
                     [] {
                         auto entries = minimalDocx("<w:p/>");
                         for (auto& [name, bytes] : entries)
                             if (name == "word/document.xml")
                                 bytes += std::string(1, '\0') + "<w:junk/>";
                         return entries;
                     },
                     untouched, kNotWellFormed});
    cases.push_back({"damaged markup in the current page's header",
                     [] { return documentWithHeader("<w:p/>", R"(<w:p w:rsidR="1" w:rsidR="2"/>)"); }, untouched,
                     "the part word/header1.xml is not well-formed XML (the attribute \"w:rsidR\" given twice"});
    return cases;
}

TEST(HostileMarkup, RefusedDocumentsNameTheReasonAndStayByteIdentical)
{
    for (const auto& [label, package, damage, reason] : refusedCases()) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writePackage(path, package());
        std::string bytes = readFile(path);
        damage(bytes);
        writeFile(path, bytes);
        EXPECT_THAT(restyleWithEngine(path, true), StartsWith(reason));
        EXPECT_TRUE(readFile(path) == bytes) << "the refused document was changed";
    }
}

} // namespace
} // namespace glyphmere::docengine
