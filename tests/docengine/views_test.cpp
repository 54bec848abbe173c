#include "docengine/ooxml/HeaderFooter.h"
#include "docengine/ooxml/WordprocessingDocument.h"

#include "InMemoryDocument.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using testing::headedDocument;
using testing::InMemoryParts;
using testing_support::PackageEntry;

std::string currentHeader(const std::vector<PackageEntry>& entries, PageRegion region = PageRegion::Header)
{
    const InMemoryParts parts(entries);
    WordprocessingDocument document(parts);
    return currentPageEntry(document, region).value_or("(none)");
}

TEST(CurrentPage, HeaderOfTheFirstPage_FollowsTitlePageAndEvenPageRules)
{
    const struct {
        const char* section;
        const char* settings;
        const char* expected;
    } rows[] = {
        {"", "", "word/header1.xml"},
        {"<w:titlePg/>", "", "word/header2.xml"},
        {R"(<w:titlePg w:val="0"/>)", "", "word/header1.xml"},
        {R"(<w:titlePg w:val="on"/>)", "<w:evenAndOddHeaders/>", "word/header2.xml"},
        {R"(<w:pgNumType w:start="2"/>)", "<w:evenAndOddHeaders/>", "word/header3.xml"},
        {R"(<w:pgNumType w:start="3"/>)", "<w:evenAndOddHeaders/>", "word/header1.xml"},
        {"", "<w:evenAndOddHeaders/>", "word/header1.xml"},
        {R"(<w:pgNumType w:start="2"/>)", R"(<w:evenAndOddHeaders w:val="false"/>)", "word/header1.xml"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(currentHeader(headedDocument(row.section, row.settings)), row.expected)
            << row.section << " " << row.settings;
}

TEST(CurrentPage, NoReferenceOfTheWantedType_MeansNoHeader)
{
    EXPECT_EQ(currentHeader(headedDocument("<w:titlePg/>", "", R"(<w:headerReference w:type="default" r:id="rH1"/>)")),
              "(none)");
    EXPECT_EQ(currentHeader(headedDocument("<w:titlePg/>", ""), PageRegion::Footer), "(none)");
    EXPECT_EQ(currentHeader(headedDocument("", ""), PageRegion::Footer), "word/footer1.xml");
}

TEST(CurrentPage, FirstSection_IsTheFirstParagraphsSectionBreak)
{
    auto entries = headedDocument("", "");
    auto& document = entries[2].second;
    const std::string firstSection =
        R"(<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="rH3"/></w:sectPr></w:pPr></w:p>)";
    document.insert(document.find("<w:body>") + 8, firstSection);
    EXPECT_EQ(currentHeader(entries), "word/header3.xml");
}

} // namespace
} // namespace glyphmere::docengine
