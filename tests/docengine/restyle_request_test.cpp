#include "docengine/session/RestyleRequest.h"

#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>

namespace glyphmere::docengine {
namespace {

using testing_support::minimalDocx;
using testing_support::PackageEntry;
using testing_support::readFile;
using testing_support::readPackage;
using testing_support::TemporaryFolder;
using testing_support::writePackage;

constexpr const char* kNamespaces = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
                                    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
constexpr const char* kRelationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string relationship(const std::string& id, const std::string& type, const std::string& target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipBase + type + "\" Target=\"" + target + "\"/>";
}

std::string part(const std::string& root, const std::string& inside)
{
    return "<w:" + root + " " + kNamespaces + ">" + inside + "</w:" + root + ">";
}

const std::string kParagraph = R"(<w:p><w:r><w:t>text</w:t></w:r></w:p>)";
const std::string kTextBox = R"(<w:p><w:r><w:pict><v:shape xmlns:v="urn:schemas-microsoft-com:vml"><v:textbox>)"
                             R"(<w:txbxContent><w:p><w:r><w:t>box</w:t></w:r></w:p></w:txbxContent>)"
                             R"(</v:textbox></v:shape></w:pict></w:r></w:p>)";
const std::string kTwoSections = "<w:p><w:pPr><w:sectPr>"
                                 R"(<w:headerReference w:type="default" r:id="rH1"/>)"
                                 R"(<w:footerReference w:type="default" r:id="rF1"/></w:sectPr></w:pPr></w:p>)" +
                                 kParagraph + kTextBox +
                                 R"(<w:sectPr><w:headerReference w:type="default" r:id="rH2"/></w:sectPr>)";
const std::string kStyles =
    part("styles", R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
                   R"(<w:rFonts w:asciiTheme="minorHAnsi" w:eastAsiaTheme="minorEastAsia" )"
                   R"(w:hAnsiTheme="minorHAnsi" w:cstheme="minorBidi"/><w:sz w:val="22"/>)"
                   R"(</w:rPr></w:rPrDefault></w:docDefaults>)"
                   R"(<w:style w:styleId="Heading1"><w:rPr><w:b/><w:sz w:val="32"/></w:rPr></w:style>)"
                   R"(<w:style w:styleId="Plain"><w:pPr/></w:style>)");

// A document with a story of every kind, two sections, a text box in the body and one in a header.
std::vector<PackageEntry> documentWithEveryStory(const std::string& styles = kStyles)
{
    return minimalDocx(
        kTwoSections,
        {{"word/header1.xml", part("hdr", kParagraph)},
         {"word/header2.xml", part("hdr", kParagraph + kTextBox)},
         {"word/footer1.xml", part("ftr", kParagraph)},
         {"word/footnotes.xml", part("footnotes", "<w:footnote w:id=\"1\">" + kParagraph + "</w:footnote>")},
         {"word/endnotes.xml", part("endnotes", "<w:endnote w:id=\"1\">" + kParagraph + "</w:endnote>")},
         {"word/comments.xml", part("comments", "<w:comment w:id=\"0\">" + kParagraph + "</w:comment>")},
         {"word/styles.xml", styles}},
        relationship("rH1", "header", "header1.xml") + relationship("rH2", "header", "header2.xml") +
            relationship("rF1", "footer", "footer1.xml") + relationship("rN", "footnotes", "footnotes.xml") +
            relationship("rE", "endnotes", "endnotes.xml") + relationship("rC", "comments", "comments.xml") +
            relationship("rS", "styles", "styles.xml"));
}

std::map<std::string, std::string> partsOf(const std::string& path)
{
    std::map<std::string, std::string> parts;
    for (auto& [name, bytes] : readPackage(path))
        parts[name] = bytes;
    return parts;
}

// Runs and paragraph marks (text boxes' included) that lack the attribute value in their w:rFonts.
std::size_t propertiesWithout(const std::string& markup, const std::string& attribute, const std::string& value)
{
    pugi::xml_document document;
    document.load_string(markup.c_str());
    const std::string fonts = "w:rPr/w:rFonts[@w:" + attribute + "='" + value + "']";
    return document.select_nodes(("//w:r[not(" + fonts + ")] | //w:p[not(w:pPr/" + fonts + ")]").c_str()).size();
}

class RestyleRequestTest : public ::testing::Test {
protected:
    std::vector<StoryChanges> restyle(RestyleRequest request, const std::vector<PackageEntry>& entries)
    {
        writePackage(path, entries);
        request.fontName = request.fontName.empty() ? "Arial" : request.fontName;
        request.fontSize = request.fontSize.empty() ? "12" : request.fontSize;
        return restyleDocumentFile(path, request);
    }

    TemporaryFolder folder;
    std::string path = folder.file("a.docx");
};

TEST_F(RestyleRequestTest, AllStories_ReachesEveryHeaderFooterNoteCommentAndTextBox)
{
    const auto changes = restyle({.reach = StoryReach::AllStories}, documentWithEveryStory());

    const auto parts = partsOf(path);
    for (const char* story : {"word/document.xml", "word/header1.xml", "word/header2.xml", "word/footer1.xml",
                              "word/footnotes.xml", "word/endnotes.xml", "word/comments.xml"})
        EXPECT_EQ(propertiesWithout(parts.at(story), "ascii", "Arial"), 0u) << story;
    EXPECT_EQ(parts.at("word/styles.xml"), kStyles);
    std::vector<std::string> stories;
    for (const StoryChanges& change : changes)
        stories.push_back(change.entry + " " + change.story);
    EXPECT_THAT(stories, ::testing::ElementsAre("word/document.xml main text", "word/document.xml text boxes",
                                                "word/header1.xml header", "word/header2.xml header",
                                                "word/header2.xml text boxes", "word/footer1.xml footer",
                                                "word/footnotes.xml footnotes", "word/endnotes.xml endnotes",
                                                "word/comments.xml comments"));
    // Body: three paragraphs and a text-box anchor run plus the plain run; the box: one paragraph, one run.
    EXPECT_EQ(changes[0].runs, 2);
    EXPECT_EQ(changes[0].paragraphMarks, 3);
    EXPECT_EQ(changes[1].runs, 1);
    EXPECT_EQ(changes[1].paragraphMarks, 1);
}

TEST_F(RestyleRequestTest, MainTextOnly_LeavesEveryOtherPartAsItWas)
{
    const auto entries = documentWithEveryStory();
    const auto changes = restyle({}, entries);

    const auto parts = partsOf(path);
    for (const auto& [name, bytes] : entries) {
        if (name != "word/document.xml") {
            EXPECT_EQ(parts.at(name), bytes) << name;
        }
    }
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(propertiesWithout(parts.at("word/document.xml"), "ascii", "Arial"), 2u) << "the text box's own";
}

TEST_F(RestyleRequestTest, CurrentPage_ReachesOnlyTheFirstSectionsHeaderAndFooter)
{
    const auto changes = restyle({.reach = StoryReach::CurrentPageHeaderFooter}, documentWithEveryStory());

    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[1].entry, "word/header1.xml");
    EXPECT_EQ(changes[2].entry, "word/footer1.xml");
    EXPECT_EQ(partsOf(path).at("word/header2.xml"), documentWithEveryStory()[5].second);
}

TEST_F(RestyleRequestTest, EastAsianAndComplexScriptFonts_FillTheirSlotsAndDropTheirThemes)
{
    const std::string body = R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Old" w:eastAsiaTheme="minorEastAsia" )"
                             R"(w:cstheme="minorBidi" w:hint="eastAsia"/></w:rPr><w:t>a</w:t></w:r></w:p>)";
    restyle({.eastAsianFont = "MS Mincho", .complexScriptFont = "Mangal"}, minimalDocx(body));

    const std::string document = partsOf(path).at("word/document.xml");
    EXPECT_THAT(document, ::testing::HasSubstr(R"(<w:rFonts w:ascii="Arial" w:hint="eastAsia" w:hAnsi="Arial" )"
                                               R"(w:eastAsia="MS Mincho" w:cs="Mangal"/>)"));
    EXPECT_EQ(propertiesWithout(document, "eastAsia", "MS Mincho"), 0u);
    EXPECT_EQ(propertiesWithout(document, "cs", "Mangal"), 0u);
}

TEST_F(RestyleRequestTest, Styles_ChangeTheDefaultsAndEveryStyleWithRunProperties)
{
    const auto changes = restyle({.fontSize = "10.5", .styles = true}, documentWithEveryStory());

    const std::string styles = partsOf(path).at("word/styles.xml");
    EXPECT_THAT(styles,
                ::testing::HasSubstr(R"(<w:rFonts w:eastAsiaTheme="minorEastAsia" w:cstheme="minorBidi" )"
                                     R"(w:ascii="Arial" w:hAnsi="Arial"/><w:sz w:val="21"/><w:szCs w:val="21"/>)"));
    EXPECT_THAT(styles, ::testing::HasSubstr(R"(<w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/><w:b/>)"
                                             R"(<w:sz w:val="21"/><w:szCs w:val="21"/></w:rPr>)"));
    EXPECT_THAT(styles, ::testing::HasSubstr(R"(<w:style w:styleId="Plain"><w:pPr/></w:style>)"));
    EXPECT_EQ(changes.back().story, "styles");
    EXPECT_EQ(changes.back().runs, 2);
}

TEST_F(RestyleRequestTest, StylesWithoutDefaults_GetThemCreatedFirst)
{
    restyle({.styles = true}, documentWithEveryStory(part("styles", R"(<w:latentStyles/><w:style w:styleId="A"/>)")));

    EXPECT_THAT(
        partsOf(path).at("word/styles.xml"),
        ::testing::HasSubstr(R"(><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/>)"
                             R"(<w:sz w:val="24"/><w:szCs w:val="24"/></w:rPr></w:rPrDefault></w:docDefaults>)"
                             R"(<w:latentStyles/>)"));
}

TEST_F(RestyleRequestTest, DryRun_CountsTheSameChangesAndWritesNothing)
{
    const RestyleRequest everything{.reach = StoryReach::AllStories, .eastAsianFont = "SimSun", .styles = true};
    const auto dryRun = restyle({.reach = everything.reach, .eastAsianFont = "SimSun", .styles = true, .dryRun = true},
                                documentWithEveryStory());
    const std::string before = readFile(path);
    EXPECT_EQ(readFile(path), before);
    const auto applied = restyle(everything, documentWithEveryStory());

    ASSERT_EQ(dryRun.size(), applied.size());
    for (std::size_t i = 0; i < dryRun.size(); ++i) {
        EXPECT_EQ(dryRun[i].runs, applied[i].runs) << dryRun[i].entry;
        EXPECT_EQ(dryRun[i].paragraphMarks, applied[i].paragraphMarks) << dryRun[i].entry;
    }
}

TEST_F(RestyleRequestTest, TrackedFormatting_RecordsOldPropertiesInEveryStory)
{
    auto entries = documentWithEveryStory();
    entries.push_back({"word/settings.xml", part("settings", "<w:trackRevisions/>")});
    entries[3].second = entries[3].second.replace(entries[3].second.find("</Relationships>"), 0,
                                                  relationship("rT", "settings", "settings.xml"));
    restyle({.reach = StoryReach::AllStories}, entries);

    const auto parts = partsOf(path);
    for (const char* story : {"word/document.xml", "word/footnotes.xml", "word/header2.xml"})
        EXPECT_THAT(parts.at(story), ::testing::HasSubstr(R"(w:author="Glyphmere")")) << story;
}

TEST_F(RestyleRequestTest, RefusedValues_FailBeforeTheFileIsTouched)
{
    writePackage(path, documentWithEveryStory());
    const std::string before = readFile(path);
    const std::vector<std::pair<RestyleRequest, std::string>> cases = {
        {{.fontName = "Arial", .fontSize = "0"}, "the font size must be between 1 and 1638"},
        {{.fontName = "Arial", .fontSize = "12", .eastAsianFont = ""}, "the font name is empty"},
        {{.fontName = "Arial", .fontSize = "12", .complexScriptFont = std::string(32, 'x')},
         "the font name is longer than 31 characters"},
    };
    for (const auto& [request, reason] : cases) {
        EXPECT_EQ(testing_support::errorText<std::exception>([&] { restyleDocumentFile(path, request); }), reason);
    }
    EXPECT_EQ(readFile(path), before);
}

// Bytes that are no UTF-8 by the strict rule must never reach the markup, where Word would call the
// document corrupt.
TEST_F(RestyleRequestTest, FontNameThatIsNoValidUtf8_IsRefusedBeforeTheFileIsTouched)
{
    writePackage(path, documentWithEveryStory());
    const std::string before = readFile(path);
    for (const std::string name : {"Ari\xE0\x80\xA1l", "Ari\xED\xA0\x80l", "Ari\xF4\x90\x80\x80l", "Arial\xC3"}) {
        EXPECT_EQ(testing_support::errorText<std::exception>(
                      [&] { restyleDocumentFile(path, {.fontName = name, .fontSize = "12"}); }),
                  "the font name contains characters that cannot be stored")
            << ::testing::PrintToString(name);
    }
    EXPECT_EQ(readFile(path), before);
}

} // namespace
} // namespace glyphmere::docengine
