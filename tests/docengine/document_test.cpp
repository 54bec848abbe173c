#include "docengine/ooxml/WordprocessingDocument.h"

#include "docengine/EngineError.h"
#include "docengine/ooxml/FontPass.h"

#include "InMemoryDocument.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using testing::InMemoryParts;
using testing_support::minimalDocx;
using testing_support::PackageEntry;

const std::string kSettingsRelationship =
    R"(<Relationship Id="rIdS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>)";

std::string settingsXml(const std::string& inside)
{
    return R"(<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" + inside +
           "</w:settings>";
}

std::vector<PackageEntry> docxWithSettings(const std::string& body, const std::string& settingsInside,
                                           std::vector<PackageEntry> extra = {})
{
    extra.emplace_back("word/settings.xml", settingsXml(settingsInside));
    return minimalDocx(body, extra, kSettingsRelationship);
}

std::vector<PackageEntry> replaced(std::vector<PackageEntry> entries, const std::string& name, const std::string& bytes)
{
    for (auto& entry : entries) {
        if (entry.first == name)
            entry.second = bytes;
    }
    return entries;
}

std::string refusal(const std::vector<PackageEntry>& entries)
{
    const InMemoryParts parts(entries);
    return testing_support::errorText<EngineError>([&] { WordprocessingDocument document(parts); });
}

TEST(WordprocessingDocument, MainPartUnderAnyName_IsFoundThroughTheRelationships)
{
    const std::vector<PackageEntry> entries = {
        {"[Content_Types].xml",
         R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Override PartName="/Text/Main.xml" ContentType="application/vnd.ms-word.template.macroEnabledTemplate.main+xml"/></Types>)"},
        {"_rels/.rels",
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="a" Type="http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument" Target="/text/main.xml"/></Relationships>)"},
        {"Text/Main.xml", testing::documentXml("<w:p/>", "http://purl.oclc.org/ooxml/wordprocessingml/main")},
    };
    const InMemoryParts parts(entries);
    WordprocessingDocument document(parts);
    EXPECT_EQ(document.mainEntry(), "Text/Main.xml");
    applyFontToStory(document.mainPart(), FontChange{"Arial", std::nullopt}, nullptr);
    ASSERT_EQ(document.changedParts().size(), 1u);
    EXPECT_NE(document.changedParts().at("Text/Main.xml").find(R"(<w:rFonts w:ascii="Arial")"), std::string::npos);
}

TEST(WordprocessingDocument, ContentTypes_OnlyWordMainPartsAreAccepted)
{
    const std::string types[] = {
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
        "application/vnd.ms-word.document.macroEnabled.main+xml",
        "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
        "application/vnd.ms-word.template.macroEnabledTemplate.main+xml",
    };
    const std::string docxType = types[0];
    for (const std::string& type : types) {
        auto entries = minimalDocx("<w:p/>");
        entries[0].second.replace(entries[0].second.find(docxType), docxType.size(), type);
        EXPECT_EQ(refusal(entries), "") << type;
    }
    auto sheet = minimalDocx("<w:p/>");
    sheet[0].second.replace(sheet[0].second.find(docxType), docxType.size(), "application/x-sheet");
    EXPECT_EQ(refusal(sheet), "not a Word document (its main part has the content type \"application/x-sheet\")");
}

TEST(WordprocessingDocument, RefusedPackages_NameTheReason)
{
    auto signedDocx = minimalDocx("<w:p/>", {{"_xmlsignatures/sig1.xml", "<Signature/>"}});
    EXPECT_EQ(refusal(signedDocx), "the document is digitally signed, and changing it would break its signatures");

    auto noMain = minimalDocx("<w:p/>");
    noMain = replaced(noMain, "_rels/.rels",
                      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"/>)");
    EXPECT_EQ(refusal(noMain), "not a Word document (it has no main document part)");

    auto malformed = replaced(minimalDocx(""), "word/document.xml", "<w:document><w:body></w:document>");
    EXPECT_NE(refusal(malformed).find("the part word/document.xml is damaged"), std::string::npos);

    auto notWordml = replaced(minimalDocx(""), "word/document.xml", "<document/>");
    EXPECT_EQ(refusal(notWordml), "not a Word document (its main part holds no WordprocessingML document)");
}

TEST(WordprocessingDocument, EditingProtection_RefusedOnlyWhenEnforcedAgainstEditing)
{
    const struct {
        const char* protection;
        bool refused;
    } rows[] = {
        {R"(<w:documentProtection w:edit="readOnly" w:enforcement="1"/>)", true},
        {R"(<w:documentProtection w:edit="comments" w:enforcement="true"/>)", true},
        {R"(<w:documentProtection w:edit="forms" w:enforcement="on"/>)", true},
        {R"(<w:documentProtection w:edit="readOnly" w:enforcement="0"/>)", false},
        {R"(<w:documentProtection w:edit="readOnly"/>)", false},
        {R"(<w:documentProtection w:edit="trackedChanges" w:enforcement="1"/>)", false},
    };
    for (const auto& row : rows) {
        const std::string reason = refusal(docxWithSettings("<w:p/>", row.protection));
        EXPECT_EQ(reason, row.refused ? "the document is protected against editing" : "") << row.protection;
    }
}

TEST(WordprocessingDocument, TrackedFormatting_FollowsTheSettings)
{
    const struct {
        const char* settings;
        bool tracked;
    } rows[] = {
        {"<w:trackRevisions/>", true},
        {R"(<w:trackRevisions w:val="false"/>)", false},
        {R"(<w:trackRevisions/><w:doNotTrackFormatting/>)", false},
        {R"(<w:documentProtection w:edit="trackedChanges" w:enforcement="1"/>)", true},
        {"", false},
    };
    for (const auto& row : rows) {
        const InMemoryParts parts(docxWithSettings("<w:p/>", row.settings));
        WordprocessingDocument document(parts);
        EXPECT_EQ(document.tracksFormatting(), row.tracked) << row.settings;
    }
}

TEST(WordprocessingDocument, RevisionIds_AreUniqueAcrossThePackage)
{
    const std::string footnotes =
        R"(<w:footnotes xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
        R"(<w:footnote w:id="41"/></w:footnotes>)";
    const InMemoryParts parts(docxWithSettings(R"(<w:p><w:ins w:id="7"/></w:p>)", "<w:trackRevisions/>",
                                               {{"word/footnotes.xml", footnotes}}));
    WordprocessingDocument document(parts);
    EXPECT_EQ(document.newRevisionId(), 42);
    EXPECT_EQ(document.newRevisionId(), 43);
}

TEST(WordprocessingDocument, NothingChanged_NoPartIsHandedBack)
{
    const InMemoryParts parts(docxWithSettings(
        R"(<w:p><w:pPr><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/></w:rPr></w:pPr></w:p>)", ""));
    WordprocessingDocument document(parts);
    document.settings();
    applyFontToStory(document.mainPart(), FontChange{"Arial", std::nullopt}, nullptr);
    EXPECT_TRUE(document.changedParts().empty());
}

} // namespace
} // namespace glyphmere::docengine
