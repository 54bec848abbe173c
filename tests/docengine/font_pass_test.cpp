#include "docengine/ooxml/FontPass.h"
#include "docengine/ooxml/XmlPart.h"

#include "InMemoryDocument.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using testing::bodyOf;
using testing::documentXml;

const FontChange kArial{"Arial", std::nullopt};
const FontChange kEleven{std::nullopt, 22};

#define RFONTS R"(<w:rFonts w:ascii="Arial" w:hAnsi="Arial"/>)"
#define ARIAL_RPR "<w:rPr>" RFONTS "</w:rPr>"
#define ARIAL_MARK "<w:pPr>" ARIAL_RPR "</w:pPr>"

struct PassCase {
    const char* description;
    FontChange change;
    const char* body;
    const char* expected;
};

std::string restyledBody(const std::string& body, const FontChange& change)
{
    XmlPart part("word/document.xml", documentXml(body));
    applyFontToStory(part, change, nullptr);
    return bodyOf(part.serialize());
}

class FontPassTable : public ::testing::TestWithParam<PassCase> {};

TEST_P(FontPassTable, RestylesRunsAndParagraphMarks)
{
    const PassCase& row = GetParam();
    EXPECT_EQ(restyledBody(row.body, row.change), row.expected) << row.description;
}

const PassCase kPassCases[] = {
    {"empty paragraph gets a mark", kArial, "<w:p/>", "<w:p>" ARIAL_MARK "</w:p>"},
    {"run without properties", kArial, "<w:p><w:r><w:t>a</w:t></w:r></w:p>",
     "<w:p>" ARIAL_MARK "<w:r>" ARIAL_RPR "<w:t>a</w:t></w:r></w:p>"},
    {"theme fonts replaced, Asian and complex script kept", kArial,
     R"(<w:p><w:pPr><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:eastAsia="MS Mincho" w:hAnsiTheme="minorHAnsi" w:cs="Mangal" w:cstheme="minorBidi" w:hint="eastAsia"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:rFonts w:eastAsia="MS Mincho" w:cs="Mangal" w:cstheme="minorBidi" w:hint="eastAsia" w:ascii="Arial" w:hAnsi="Arial"/></w:rPr></w:pPr></w:p>)"},
    {"rFonts after rStyle, before b", kArial, R"(<w:p><w:pPr><w:rPr><w:rStyle w:val="S"/><w:b/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:rStyle w:val="S"/>)" RFONTS "<w:b/></w:rPr></w:pPr></w:p>"},
    {"mark rPr before sectPr and pPrChange", kArial,
     R"(<w:p><w:pPr><w:jc w:val="center"/><w:sectPr/><w:pPrChange w:id="1"><w:pPr/></w:pPrChange></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:jc w:val="center"/>)" ARIAL_RPR
     R"(<w:sectPr/><w:pPrChange w:id="1"><w:pPr/></w:pPrChange></w:pPr></w:p>)"},
    {"revision marks of a paragraph mark stay first", kArial,
     R"(<w:p><w:pPr><w:rPr><w:ins w:id="3" w:author="A"/><w:b/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:ins w:id="3" w:author="A"/>)" RFONTS "<w:b/></w:rPr></w:pPr></w:p>"},
    {"old formatting in rPrChange untouched", kArial,
     R"(<w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr><w:r><w:rPr><w:b/><w:rPrChange w:id="1"><w:rPr><w:rFonts w:ascii="Old"/></w:rPr></w:rPrChange></w:rPr></w:r></w:p>)",
     R"(<w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><w:r><w:rPr>)" RFONTS
     R"(<w:b/><w:rPrChange w:id="1"><w:rPr><w:rFonts w:ascii="Old"/></w:rPr></w:rPrChange></w:rPr></w:r></w:p>)"},
    {"size in its place of the sequence", kEleven,
     R"(<w:p><w:pPr><w:rPr><w:color w:val="FF0000"/><w:u w:val="single"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:color w:val="FF0000"/><w:sz w:val="22"/><w:szCs w:val="22"/><w:u w:val="single"/></w:rPr></w:pPr></w:p>)"},
    {"size replaced, extension before rPrChange", kEleven,
     R"(<w:p><w:pPr><w:rPr><w:sz w:val="40"/><w14:glow xmlns:w14="urn:w14"/><w:rPrChange w:id="2"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:sz w:val="22"/><w:szCs w:val="22"/><w14:glow xmlns:w14="urn:w14"/><w:rPrChange w:id="2"/></w:rPr></w:pPr></w:p>)"},
    {"runs in tables, hyperlinks, fields, insertions and deletions", kArial,
     R"(<w:tbl><w:tr><w:tc><w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr><w:hyperlink r:id="rId9"><w:r/></w:hyperlink><w:fldSimple w:instr="PAGE"><w:r/></w:fldSimple><w:ins w:id="4"><w:r/></w:ins><w:del w:id="5"><w:r/></w:del></w:p></w:tc></w:tr></w:tbl>)",
     R"(<w:tbl><w:tr><w:tc><w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><w:hyperlink r:id="rId9"><w:r>)" ARIAL_RPR
     R"(</w:r></w:hyperlink><w:fldSimple w:instr="PAGE"><w:r>)" ARIAL_RPR
     R"(</w:r></w:fldSimple><w:ins w:id="4"><w:r>)" ARIAL_RPR R"(</w:r></w:ins><w:del w:id="5"><w:r>)" ARIAL_RPR
     R"(</w:r></w:del></w:p></w:tc></w:tr></w:tbl>)"},
    {"content control: its own run properties, not created where absent", kArial,
     R"(<w:sdt><w:sdtPr><w:rPr><w:b/></w:rPr><w:alias w:val="x"/></w:sdtPr><w:sdtEndPr/><w:sdtContent><w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr></w:p></w:sdtContent></w:sdt>)",
     R"(<w:sdt><w:sdtPr><w:rPr>)" RFONTS
     R"(<w:b/></w:rPr><w:alias w:val="x"/></w:sdtPr><w:sdtEndPr/><w:sdtContent><w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr></w:p></w:sdtContent></w:sdt>)"},
    {"math run: w:rPr after m:rPr", kArial,
     R"(<w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr><m:oMath><m:r><m:rPr><m:sty m:val="p"/></m:rPr><m:t>x</m:t></m:r><m:r><m:t>y</m:t></m:r></m:oMath></w:p>)",
     R"(<w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><m:oMath><m:r><m:rPr><m:sty m:val="p"/></m:rPr>)" ARIAL_RPR
     R"(<m:t>x</m:t></m:r><m:r>)" ARIAL_RPR R"(<m:t>y</m:t></m:r></m:oMath></w:p>)"},
    {"both branches of AlternateContent; text box inside untouched", kArial,
     R"(<w:p><w:pPr>)" ARIAL_RPR
     R"(</w:pPr><mc:AlternateContent><mc:Choice Requires="wps"><w:r><w:drawing><wps:txbx><w:txbxContent><w:p><w:r><w:t>box</w:t></w:r></w:p></w:txbxContent></wps:txbx></w:drawing></w:r></mc:Choice><mc:Fallback><w:r><w:pict/></w:r></mc:Fallback></mc:AlternateContent></w:p>)",
     R"(<w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><mc:AlternateContent><mc:Choice Requires="wps"><w:r>)" ARIAL_RPR
     R"(<w:drawing><wps:txbx><w:txbxContent><w:p><w:r><w:t>box</w:t></w:r></w:p></w:txbxContent></wps:txbx></w:drawing></w:r></mc:Choice><mc:Fallback><w:r>)" ARIAL_RPR
     R"(<w:pict/></w:r></mc:Fallback></mc:AlternateContent></w:p>)"},
    {"new properties go before the first later child, however the children are ordered", kEleven,
     R"(<w:p><w:pPr><w:rPr><w:u w:val="single"/><w:color w:val="FF0000"/><w:lang w:val="de-DE"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><w:sz w:val="22"/><w:szCs w:val="22"/><w:u w:val="single"/><w:color w:val="FF0000"/><w:lang w:val="de-DE"/></w:rPr></w:pPr></w:p>)"},
    {"unknown WordprocessingML names rank as extensions", kArial,
     R"(<w:p><w:pPr><w:rPr><w:iXs/><w:b/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr>)" RFONTS R"(<w:iXs/><w:b/></w:rPr></w:pPr></w:p>)"},
    {"a child that binds its prefix elsewhere is no run property", kArial,
     R"(<w:p><w:pPr><w:rPr><w:rFonts xmlns:w="urn:other" w:ascii="X"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr>)" RFONTS R"(<w:rFonts xmlns:w="urn:other" w:ascii="X"/></w:rPr></w:pPr></w:p>)"},
    {"a child that binds another prefix to WordprocessingML is one", kEleven,
     R"(<w:p><w:pPr><w:rPr><x:sz xmlns:x="http://schemas.openxmlformats.org/wordprocessingml/2006/main" x:val="40"/></w:rPr></w:pPr></w:p>)",
     R"(<w:p><w:pPr><w:rPr><x:sz xmlns:x="http://schemas.openxmlformats.org/wordprocessingml/2006/main" x:val="22"/><w:szCs w:val="22"/></w:rPr></w:pPr></w:p>)"},
    {"whitespace-only text and comments survive", kArial,
     R"(<w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><!-- note --><w:r>)" ARIAL_RPR
     R"(<w:t xml:space="preserve">  </w:t></w:r></w:p>)",
     R"(<w:p><w:pPr>)" ARIAL_RPR R"(</w:pPr><!-- note --><w:r>)" ARIAL_RPR
     R"(<w:t xml:space="preserve">  </w:t></w:r></w:p>)"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FontPassTable, ::testing::ValuesIn(kPassCases));

TEST(FontPass, NothingToChange_LeavesPartUnchanged)
{
    XmlPart part("word/document.xml", documentXml("<w:p>" ARIAL_MARK "<w:r>" ARIAL_RPR "<w:t>a</w:t></w:r></w:p>"));
    applyFontToStory(part, kArial, nullptr);
    EXPECT_FALSE(part.changed());
    applyFontToStory(part, kEleven, nullptr);
    EXPECT_TRUE(part.changed());
}

TEST(FontPass, OtherPrefixAndStrictNamespace_NewElementsUseThePartsPrefix)
{
    const std::string markup = R"(<ns0:document xmlns:ns0="http://purl.oclc.org/ooxml/wordprocessingml/main">)"
                               R"(<ns0:body><ns0:p><ns0:r><ns0:t>a</ns0:t></ns0:r></ns0:p></ns0:body></ns0:document>)";
    XmlPart part("word/document.xml", markup);
    applyFontToStory(part, kArial, nullptr);
    EXPECT_EQ(part.serialize(),
              R"(<ns0:document xmlns:ns0="http://purl.oclc.org/ooxml/wordprocessingml/main"><ns0:body><ns0:p>)"
              R"(<ns0:pPr><ns0:rPr><ns0:rFonts ns0:ascii="Arial" ns0:hAnsi="Arial"/></ns0:rPr></ns0:pPr>)"
              R"(<ns0:r><ns0:rPr><ns0:rFonts ns0:ascii="Arial" ns0:hAnsi="Arial"/></ns0:rPr><ns0:t>a</ns0:t></ns0:r>)"
              R"(</ns0:p></ns0:body></ns0:document>)");
}

TEST(FontPass, WordAsDefaultNamespaceOnly_DeclaresAnUnusedPrefixForNewNames)
{
    XmlPart part(
        "word/document.xml",
        R"(<document xmlns="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:gw="urn:other">)"
        R"(<body><p><pPr><rPr><rFonts/></rPr></pPr></p></body></document>)");
    applyFontToStory(part, kEleven, nullptr);
    EXPECT_EQ(bodyOf(part.serialize()),
              R"(<document xmlns="http://schemas.openxmlformats.org/wordprocessingml/2006/main" xmlns:gw="urn:other">)"
              R"(<body><p><pPr><rPr><rFonts/>)"
              R"(<gw1:sz xmlns:gw1="http://schemas.openxmlformats.org/wordprocessingml/2006/main" gw1:val="22"/>)"
              R"(<gw1:szCs xmlns:gw1="http://schemas.openxmlformats.org/wordprocessingml/2006/main" gw1:val="22"/>)"
              R"(</rPr></pPr></p></body></document>)");
}

TEST(FontPass, ElementsOfAnotherNamespaceWithTheSamePrefix_AreNotRuns)
{
    const std::string markup = R"(<w:document xmlns:w="urn:not-word"><w:body><w:p><w:r/></w:p></w:body></w:document>)";
    XmlPart part("word/document.xml", markup);
    applyFontToStory(part, kArial, nullptr);
    EXPECT_FALSE(part.changed());
}

TEST(FontPass, TrackedFormatting_KeepsOldPropertiesInRevision)
{
    XmlPart part(
        "word/document.xml",
        documentXml(
            R"(<w:p><w:pPr><w:rPr><w:ins w:id="1" w:author="A"/><w:b/></w:rPr></w:pPr>)"
            R"(<w:r><w:rPr><w:i/><w:rPrChange w:id="7" w:author="B"><w:rPr/></w:rPrChange></w:rPr></w:r></w:p>)"));
    int nextId = 100;
    const RevisionMark revision{"Glyphmere", "2024-01-02T03:04:05Z", [&nextId] { return nextId++; }};
    applyFontToStory(part, kArial, &revision);
    EXPECT_EQ(
        bodyOf(part.serialize()),
        R"(<w:p><w:pPr><w:rPr><w:ins w:id="1" w:author="A"/>)" RFONTS
        R"(<w:b/><w:rPrChange w:id="100" w:author="Glyphmere" w:date="2024-01-02T03:04:05Z"><w:rPr><w:b/></w:rPr></w:rPrChange></w:rPr></w:pPr>)"
        R"(<w:r><w:rPr>)" RFONTS
        R"(<w:i/><w:rPrChange w:id="7" w:author="B"><w:rPr/></w:rPrChange></w:rPr></w:r></w:p>)");
}

TEST(FontPass, TrackedFormattingOfNameThenSize_PutsNewPropertiesBeforeTheRevision)
{
    XmlPart part("word/document.xml", documentXml(R"(<w:p><w:r><w:rPr><w:b/></w:rPr></w:r><w:r/></w:p>)"));
    int nextId = 1;
    const RevisionMark revision{"G", "D", [&nextId] { return nextId++; }};
    applyFontToStory(part, kArial, &revision);
    applyFontToStory(part, kEleven, &revision);
    EXPECT_EQ(bodyOf(part.serialize()),
              R"(<w:p><w:pPr><w:rPr>)" RFONTS R"(<w:sz w:val="22"/><w:szCs w:val="22"/>)"
              R"(<w:rPrChange w:id="1" w:author="G" w:date="D"><w:rPr/></w:rPrChange></w:rPr></w:pPr>)"
              R"(<w:r><w:rPr>)" RFONTS R"(<w:b/><w:sz w:val="22"/><w:szCs w:val="22"/>)"
              R"(<w:rPrChange w:id="2" w:author="G" w:date="D"><w:rPr><w:b/></w:rPr></w:rPrChange></w:rPr></w:r>)"
              R"(<w:r><w:rPr>)" RFONTS R"(<w:sz w:val="22"/><w:szCs w:val="22"/>)"
              R"(<w:rPrChange w:id="3" w:author="G" w:date="D"><w:rPr/></w:rPrChange></w:rPr></w:r></w:p>)");
}

TEST(FontPass, LongWordPrefix_NamesNewElementsAndAttributesInFull)
{
    const std::string prefix(40, 'p');
    const std::string markup = "<" + prefix + ":document xmlns:" + prefix +
                               R"(="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><)" + prefix +
                               ":body><" + prefix + ":p/></" + prefix + ":body></" + prefix + ":document>";
    XmlPart part("word/document.xml", markup);
    applyFontToStory(part, kEleven, nullptr);
    const std::string written = part.serialize();
    EXPECT_NE(written.find("<" + prefix + ":pPr><" + prefix + ":rPr><" + prefix + ":sz " + prefix + R"(:val="22"/>)"),
              std::string::npos)
        << written;
}

TEST(FontPass, DeeplyNestedMarkup_DoesNotExhaustTheStack)
{
    constexpr int depth = 100000;
    std::string body;
    for (int i = 0; i < depth; ++i)
        body += "<w:customXml>";
    body += "<w:p/>";
    for (int i = 0; i < depth; ++i)
        body += "</w:customXml>";
    XmlPart part("word/document.xml", documentXml(body));
    applyFontToStory(part, kArial, nullptr);
    EXPECT_NE(part.serialize().find("<w:p>" ARIAL_MARK "</w:p>"), std::string::npos);
}

} // namespace
} // namespace glyphmere::docengine
