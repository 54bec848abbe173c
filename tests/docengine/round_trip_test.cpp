#include "round_trip_support.h"
#include "common/FileStatus.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::round_trip;

using Entries = std::vector<std::string>;

const std::string kDocument = "word/document.xml";
const std::string kTextBox = "<w:txbxContent><w:p><w:r><w:rPr><w:rFonts w:ascii=\"Courier\"/></w:rPr><w:t>boxed</w:t>"
                             "</w:r></w:p></w:txbxContent>";

// Markup from every corner of a story the pass walks, with text whose whitespace must survive.
const std::string kRichBody =
    R"(<w:p><w:pPr><w:pStyle w:val="Title"/></w:pPr><w:r><w:rPr><w:rStyle w:val="Strong"/>)"
    R"(<w:rFonts w:asciiTheme="majorHAnsi" w:hAnsiTheme="majorHAnsi" w:eastAsia="MS Mincho"/><w:b/>)"
    R"(<w:sz w:val="40"/><w:u w:val="single"/></w:rPr><w:t>Title</w:t></w:r></w:p>)"
    R"(<!-- kept comment --><?kept-instruction data?>)"
    R"(<w:p><w:r><w:t xml:space="preserve"> </w:t></w:r><w:r><w:t xml:space="preserve">  two leading spaces </w:t>)"
    R"(</w:r><w:r><w:tab/><w:t>after a tab</w:t></w:r></w:p>)"
    R"(<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/></w:tblPr><w:tr><w:tc><w:p><w:r><w:t>Cell</w:t></w:r></w:p>)"
    R"(</w:tc></w:tr></w:tbl>)"
    R"(<w:p><w:hyperlink r:id="rLink"><w:r><w:t>link</w:t></w:r></w:hyperlink>)"
    R"(<w:fldSimple w:instr=" PAGE "><w:r><w:t>1</w:t></w:r></w:fldSimple>)"
    R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> DATE </w:instrText></w:r>)"
    R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)"
    R"(<w:ins w:id="5" w:author="A" w:date="2020-01-01T00:00:00Z"><w:r><w:t>inserted</w:t></w:r></w:ins>)"
    R"(<w:del w:id="6" w:author="A" w:date="2020-01-01T00:00:00Z"><w:r><w:delText>gone</w:delText></w:r></w:del></w:p>)"
    R"(<w:sdt><w:sdtPr><w:alias w:val="Box"/></w:sdtPr><w:sdtContent><w:p><w:r><w:t>In a control</w:t></w:r></w:p>)"
    R"(</w:sdtContent></w:sdt>)"
    R"(<w:p><w:r><w:pict><v:shape xmlns:v="urn:schemas-microsoft-com:vml"><v:textbox>)" +
    kTextBox +
    R"(</v:textbox></v:shape></w:pict></w:r></w:p>)"
    R"(<w:p><w:r><m:oMath><m:r><m:t>x</m:t></m:r></m:oMath></w:r></w:p>)"
    R"(<w:sectPr><w:pgSz w:w="12240" w:h="15840"/></w:sectPr>)";

const std::string kFootnotes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:footnotes xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:footnote w:id="1">)"
    R"(<w:p><w:r><w:t>A note</w:t></w:r></w:p></w:footnote></w:footnotes>)";

// A document in a folder of its own, with a copy of the original to compare against.
struct RoundTrip {
    explicit RoundTrip(const std::vector<PackageEntry>& entries, const std::string& name = "d.docx")
        : path(folder.file(name)), original(originalFolder.file(name))
    {
        writePackage(path, entries);
        std::filesystem::copy_file(path, original);
    }

    TemporaryFolder folder;
    TemporaryFolder originalFolder;
    std::string path;
    std::string original;
};

std::string part(const std::string& root, const std::string& inside)
{
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           "<w:" +
           root + R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" + inside +
           "</w:" + root + ">";
}

std::vector<PackageEntry> richDocument()
{
    return minimalDocx(kRichBody,
                       {{"word/footnotes.xml", kFootnotes},
                        {"word/media/image1.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(500, '\0')},
                        {"docProps/core.xml", "<coreProperties/>"}},
                       R"(<Relationship Id="rLink" Type="http://schemas.openxmlformats.org/officeDocument/)"
                       R"(2006/relationships/hyperlink" Target="https://example.org/" TargetMode="External"/>)");
}

TEST(RoundTrip, RestyledPackage_DiffersOnlyInTheMainTextsRunProperties)
{
    RoundTrip document(richDocument());
    ASSERT_EQ(restyle(document.path, "DejaVu Serif", "13"), "");

    EXPECT_EQ(changedEntries(document.original, document.path), Entries{kDocument});
    const std::string saved = entryText(document.path, kDocument);
    EXPECT_GT(expectStoryRestyled(saved, "DejaVu Serif", 26), 15);
    EXPECT_THAT(saved, StartsWith(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"));
    EXPECT_THAT(saved, HasSubstr(kTextBox)) << "a text box is a story of its own";
    EXPECT_THAT(saved, HasSubstr(R"(<w:t xml:space="preserve"> </w:t>)"));
    EXPECT_THAT(saved, HasSubstr(R"(w:eastAsia="MS Mincho")"));
}

TEST(RoundTrip, DocumentThatNeedsNoChange_IsStillSavedWithEqualParts)
{
    RoundTrip document(richDocument());
    ASSERT_EQ(restyle(document.path, "Liberation Sans", "10.5"), "");
    writeFile(document.original, readFile(document.path));
    const std::uint64_t fileBefore = common::statusOf(document.path).fileId;

    ASSERT_EQ(restyle(document.path, "Liberation Sans", "10.5"), "");
    EXPECT_NE(common::statusOf(document.path).fileId, fileBefore)
        << "the save was asked for, so the file is written anew";
    EXPECT_EQ(changedEntries(document.original, document.path), Entries{});
}

// Three headers and three footers, one of each kind, named after their kind.
std::vector<PackageEntry> headedDocument(const std::string& sectionExtra, const std::string& settings)
{
    std::string references;
    std::string relationships;
    std::vector<PackageEntry> parts{{"word/settings.xml", part("settings", settings)}};
    for (const std::string kind : {"first", "even", "default"}) {
        for (const std::string region : {"header", "footer"}) {
            const std::string id = "r" + region + "-" + kind;
            const std::string entry = region + "-" + kind + ".xml";
            references += "<w:" + region + "Reference w:type=\"" + kind + "\" r:id=\"" + id + "\"/>";
            relationships += "<Relationship Id=\"" + id +
                             "\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                             "2006/relationships/" +
                             region + "\" Target=\"" + entry + "\"/>";
            parts.emplace_back("word/" + entry, part(region == "header" ? "hdr" : "ftr",
                                                     "<w:p><w:r><w:t>" + kind + " " + region + "</w:t></w:r></w:p>"));
        }
    }
    relationships += R"(<Relationship Id="rSettings" Type="http://schemas.openxmlformats.org/officeDocument/)"
                     R"(2006/relationships/settings" Target="settings.xml"/>)";
    return minimalDocx("<w:p><w:r><w:t>Body</w:t></w:r></w:p><w:sectPr>" + references + sectionExtra + "</w:sectPr>",
                       parts, relationships);
}

TEST(RoundTrip, HeadersAndFooters_OnlyThoseOfTheCurrentPageChange)
{
    const struct {
        const char* section;
        const char* settings;
        const char* kind;
    } rows[] = {
        {"<w:titlePg/>", "<w:evenAndOddHeaders/>", "first"},
        {R"(<w:pgNumType w:start="2"/>)", "<w:evenAndOddHeaders/>", "even"},
        {R"(<w:pgNumType w:start="2"/>)", "", "default"},
        {R"(<w:titlePg w:val="0"/>)", R"(<w:evenAndOddHeaders w:val="false"/>)", "default"},
    };
    for (const auto& row : rows) {
        RoundTrip document(headedDocument(row.section, row.settings));
        ASSERT_EQ(restyle(document.path, "DejaVu Sans", "9", true), "") << row.kind;
        const std::string header = std::string("word/header-") + row.kind + ".xml";
        const std::string footer = std::string("word/footer-") + row.kind + ".xml";
        auto changed = changedEntries(document.original, document.path);
        std::sort(changed.begin(), changed.end());
        EXPECT_EQ(changed, (Entries{kDocument, footer, header})) << row.section << row.settings;
        for (const std::string& entry : {header, footer})
            EXPECT_EQ(expectStoryRestyled(entryText(document.path, entry), "DejaVu Sans", 18), 2) << entry;
    }
}

TEST(RoundTrip, WithoutTheFlag_NoHeaderOrFooterChanges)
{
    RoundTrip document(headedDocument("<w:titlePg/>", ""));
    ASSERT_EQ(restyle(document.path, "DejaVu Sans", "9", false), "");
    EXPECT_EQ(changedEntries(document.original, document.path), Entries{kDocument});
}

TEST(RoundTrip, SecondSectionsHeaders_AreNotTheCurrentPages)
{
    const std::string relationships =
        R"(<Relationship Id="rH1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" )"
        R"(Target="header1.xml"/><Relationship Id="rH2" )"
        R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header2.xml"/>)";
    const std::vector<PackageEntry> headers{{"word/header1.xml", part("hdr", "<w:p><w:r><w:t>one</w:t></w:r></w:p>")},
                                            {"word/header2.xml", part("hdr", "<w:p><w:r><w:t>two</w:t></w:r></w:p>")}};
    const struct {
        const char* firstSection;
        Entries changed;
    } rows[] = {
        {R"(<w:headerReference w:type="default" r:id="rH1"/>)", {kDocument, "word/header1.xml"}},
        {"", {kDocument}},
    };
    for (const auto& row : rows) {
        RoundTrip document(minimalDocx(std::string("<w:p><w:pPr><w:sectPr>") + row.firstSection +
                                           "</w:sectPr></w:pPr><w:r><w:t>One</w:t></w:r></w:p>"
                                           R"(<w:p><w:r><w:t>Two</w:t></w:r></w:p><w:sectPr>)"
                                           R"(<w:headerReference w:type="default" r:id="rH2"/></w:sectPr>)",
                                       headers, relationships));
        ASSERT_EQ(restyle(document.path, "DejaVu Sans", "9", true), "");
        EXPECT_EQ(changedEntries(document.original, document.path), row.changed) << row.firstSection;
    }
}

TEST(RoundTrip, CurrentPageWithoutHeader_CreatesNoPart)
{
    const std::string evenOnly = part("hdr", "<w:p><w:r><w:t>even header</w:t></w:r></w:p>");
    RoundTrip document(minimalDocx(
        R"(<w:p><w:r><w:t>Body</w:t></w:r></w:p><w:sectPr><w:headerReference w:type="even" r:id="rH"/></w:sectPr>)",
        {{"word/header1.xml", evenOnly}},
        R"(<Relationship Id="rH" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" )"
        R"(Target="header1.xml"/>)"));
    ASSERT_EQ(restyle(document.path, "DejaVu Sans", "9", true), "");
    EXPECT_EQ(changedEntries(document.original, document.path), Entries{kDocument})
        << "the same entries, and of them only the main text changed";
}

// The package of another Word format: its main part's content type, and what belongs to that format.
std::vector<PackageEntry> documentOfFormat(const std::string& mainContentType, const std::vector<PackageEntry>& extra,
                                           const std::string& extraRelationships)
{
    auto entries = minimalDocx("<w:p><w:r><w:t>Format</w:t></w:r></w:p>", extra, extraRelationships);
    std::string& contentTypes = entries.front().second;
    const std::string docx = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    contentTypes.replace(contentTypes.find(docx), docx.size(), mainContentType);
    contentTypes.insert(contentTypes.find("</Types>"),
                        R"(<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/>)");
    return entries;
}

TEST(RoundTrip, OtherWordFormats_KeepTheirContentTypesAndMacros)
{
    std::string macros;
    for (int i = 0; i < 4096; ++i)
        macros.push_back(static_cast<char>((i * 7919) >> 3));
    const std::string vbaRelationship =
        R"(<Relationship Id="rVba" Type="http://schemas.microsoft.com/office/2006/relationships/vbaProject" )"
        R"(Target="vbaProject.bin"/>)";
    const struct {
        const char* name;
        const char* contentType;
        bool macros;
    } rows[] = {
        {"d.docm", "application/vnd.ms-word.document.macroEnabled.main+xml", true},
        {"d.dotx", "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml", false},
        {"d.dotm", "application/vnd.ms-word.template.macroEnabledTemplate.main+xml", true},
    };
    for (const auto& row : rows) {
        const std::vector<PackageEntry> extra =
            row.macros ? std::vector<PackageEntry>{{"word/vbaProject.bin", macros}} : std::vector<PackageEntry>{};
        RoundTrip document(documentOfFormat(row.contentType, extra, row.macros ? vbaRelationship : ""), row.name);
        ASSERT_EQ(restyle(document.path, "DejaVu Sans", "12"), "") << row.name;
        EXPECT_EQ(changedEntries(document.original, document.path), Entries{kDocument}) << row.name;
        EXPECT_THAT(entryText(document.path, "[Content_Types].xml"), HasSubstr(row.contentType));
        if (row.macros) {
            EXPECT_EQ(entryText(document.path, "word/vbaProject.bin"), macros);
        }
    }
}

} // namespace
} // namespace glyphmere::docengine
