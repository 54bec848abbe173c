#include "round_trip_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::round_trip;

// Writes random but valid story markup: runs with properties in the schema's order, nested in the
// containers a story may hold, with whitespace that must survive.
class StoryWriter {
public:
    explicit StoryWriter(unsigned seed) : m_random(seed) {}

    std::string body()
    {
        std::string markup;
        for (int i = 0, count = 1 + pick(6); i < count; ++i)
            markup += block(0);
        return markup + R"(<w:sectPr><w:pgSz w:w="12240" w:h="15840"/></w:sectPr>)";
    }

private:
    int pick(int count) { return static_cast<int>(m_random() % static_cast<unsigned>(count)); }
    bool chance(int percent) { return pick(100) < percent; }

    std::string block(int depth)
    {
        switch (depth < 3 ? pick(6) : 0) {
        case 1:
            return "<w:tbl><w:tr><w:tc>" + block(depth + 1) + "</w:tc><w:tc>" + block(depth + 1) +
                   "</w:tc></w:tr></w:tbl>";
        case 2:
            return "<w:sdt><w:sdtPr>" + std::string(chance(50) ? runProperties() : "") + "</w:sdtPr><w:sdtContent>" +
                   block(depth + 1) + "</w:sdtContent></w:sdt>";
        case 3:
            return R"(<w:customXml w:element="part">)" + block(depth + 1) + "</w:customXml>";
        default:
            return paragraph(depth);
        }
    }

    std::string paragraph(int depth)
    {
        std::string markup = "<w:p>";
        if (chance(70)) {
            markup += "<w:pPr>";
            if (chance(50))
                markup += R"(<w:pStyle w:val="Body"/>)";
            if (chance(30))
                markup += R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>)";
            if (chance(40))
                markup += runProperties(chance(30));
            if (chance(20))
                markup += R"(<w:pPrChange w:id="90" w:author="A" w:date="2020-01-01T00:00:00Z"><w:pPr/></w:pPrChange>)";
            markup += "</w:pPr>";
        }
        for (int i = 0, count = pick(5); i < count; ++i)
            markup += inlineContent(depth);
        return markup + "</w:p>";
    }

    std::string inlineContent(int depth)
    {
        const std::string inner = depth < 4 && chance(40) ? inlineContent(depth + 1) : run();
        switch (pick(9)) {
        case 1:
            return R"(<w:hyperlink w:anchor="top">)" + inner + "</w:hyperlink>";
        case 2:
            return R"(<w:ins w:id="80" w:author="A" w:date="2020-01-01T00:00:00Z">)" + run() + "</w:ins>";
        case 3:
            return R"(<w:del w:id="81" w:author="A" w:date="2020-01-01T00:00:00Z">)"
                   R"(<w:r><w:delText>old</w:delText></w:r></w:del>)";
        case 4:
            return R"(<w:fldSimple w:instr=" PAGE ">)" + inner + "</w:fldSimple>";
        case 5:
            return R"(<w:smartTag w:element="place">)" + inner + "</w:smartTag>";
        case 6:
            return R"(<mc:AlternateContent><mc:Choice Requires="w14">)" + inner + "</mc:Choice><mc:Fallback>" + run() +
                   "</mc:Fallback></mc:AlternateContent>";
        case 7:
            return R"(<w:bookmarkStart w:id="70" w:name="mark"/>)" + inner + R"(<w:bookmarkEnd w:id="70"/>)";
        default:
            return inner;
        }
    }

    std::string run()
    {
        static const char* const kContents[] = {
            "<w:t>word</w:t>",
            R"(<w:t xml:space="preserve"> </w:t>)",
            R"(<w:t xml:space="preserve">  two  </w:t>)",
            "<w:tab/><w:t>tabbed</w:t>",
            "<w:br/>",
            R"(<w:instrText xml:space="preserve"> DATE </w:instrText>)",
            R"(<w:pict><v:shape xmlns:v="urn:schemas-microsoft-com:vml"><v:textbox><w:txbxContent><w:p><w:r>)"
            R"(<w:t>boxed</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict>)"};
        return "<w:r>" + std::string(chance(60) ? runProperties() : "") + kContents[pick(7)] + "</w:r>";
    }

    // A random selection of run properties, in the schema's order.
    std::string runProperties(bool withRevisionMark = false)
    {
        std::string markup = "<w:rPr>";
        if (withRevisionMark)
            markup += R"(<w:ins w:id="60" w:author="A" w:date="2020-01-01T00:00:00Z"/>)";
        static const char* const kOrdered[] = {
            R"(<w:rStyle w:val="Emphasis"/>)",
            R"(<w:rFonts w:asciiTheme="minorHAnsi" w:eastAsia="SimSun"/>)",
            "<w:b/>",
            "<w:i/>",
            R"(<w:color w:val="FF0000"/>)",
            R"(<w:kern w:val="2"/>)",
            R"(<w:position w:val="3"/>)",
            R"(<w:sz w:val="30"/>)",
            R"(<w:highlight w:val="yellow"/>)",
            R"(<w:u w:val="single"/>)",
            R"(<w:lang w:val="en-GB"/>)",
            R"(<w14:ligatures xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml" w14:val="all"/>)"};
        for (const char* property : kOrdered) {
            if (chance(25))
                markup += property;
        }
        if (chance(15))
            markup += R"(<w:rPrChange w:id="50" w:author="A" w:date="2020-01-01T00:00:00Z">)"
                      R"(<w:rPr><w:b/></w:rPr></w:rPrChange>)";
        return markup + "</w:rPr>";
    }

    std::mt19937 m_random;
};

long long highestId(const pugi::xml_document& document)
{
    long long highest = 0;
    for (const pugi::xpath_node& id : document.select_nodes("//@*[name()='w:id']"))
        highest = std::max(highest, id.attribute().as_llong());
    return highest;
}

// Every run and paragraph mark records its old properties, and the new records have ids of their own,
// above every id that the original used.
void expectFormattingTracked(const std::string& originalXml, const std::string& partXml)
{
    pugi::xml_document original;
    pugi::xml_document document;
    ASSERT_TRUE(original.load_string(originalXml.c_str()));
    ASSERT_TRUE(document.load_string(partXml.c_str()));
    const long long highestBefore = highestId(original);
    std::set<long long> newIds;
    for (const pugi::xpath_node& found : document.select_nodes("//*[name()='w:r' or name()='w:p']")) {
        const pugi::xml_node node = found.node();
        if (node.select_node("ancestor::*[name()='w:txbxContent' or name()='w:rPrChange' or name()='w:pPrChange']"))
            continue;
        const pugi::xml_node properties =
            std::string(node.name()) == "w:p" ? node.child("w:pPr").child("w:rPr") : node.child("w:rPr");
        const pugi::xml_node record = properties.child("w:rPrChange");
        EXPECT_TRUE(record) << node.name() << " without a record of its old formatting";
        if (std::string(record.attribute("w:author").value()) != "Glyphmere")
            continue;
        const long long id = record.attribute("w:id").as_llong();
        EXPECT_GT(id, highestBefore);
        EXPECT_TRUE(newIds.insert(id).second) << "id " << id << " given twice";
    }
}

TEST(RandomDocuments, EveryRunAndParagraphMarkChangesAndNothingElse)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        StoryWriter writer(seed);
        const bool tracked = seed % 2 == 0;
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        const std::string original = folder.file("original.docx");
        writePackage(path, documentWithSettings(writer.body(), tracked ? "<w:trackRevisions/>" : ""));
        std::filesystem::copy_file(path, original);

        ASSERT_EQ(restyle(path, "Liberation Serif", "10.5"), "");

        EXPECT_EQ(changedEntries(original, path), std::vector<std::string>{"word/document.xml"});
        const std::string saved = entryText(path, "word/document.xml");
        expectStoryRestyled(saved, "Liberation Serif", 21);
        EXPECT_EQ(textBoxes(saved), textBoxes(entryText(original, "word/document.xml")));
        if (tracked)
            expectFormattingTracked(entryText(original, "word/document.xml"), saved);
    }
}

} // namespace
} // namespace glyphmere::docengine
