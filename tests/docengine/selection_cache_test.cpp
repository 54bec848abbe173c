#include "docengine/session/EngineSession.h"
#include "docengine/ooxml/FontPass.h"
#include "docengine/ooxml/XmlPart.h"

#include "InMemoryDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using platform::Variant;
using testing::documentXml;
using ::testing::HasSubstr;
using ::testing::Not;

const FontChange kArial{"Arial", std::nullopt};
const FontChange kEleven{std::nullopt, 22};

// Stories where targets are created, found in odd places, or nested, so that one collection followed by
// several changes can be checked against a fresh walk for each change.
const char* const kStories[] = {
    "<w:p/>",
    "<w:p><w:r><w:t>a</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>b</w:t></w:r></w:p>",
    R"(<w:p><w:pPr><w:jc w:val="center"/><w:sectPr/></w:pPr><w:r><w:rPr><w:rFonts w:asciiTheme="minorHAnsi"/></w:rPr></w:r></w:p>)",
    "<w:sdt><w:sdtPr><w:rPr><w:i/></w:rPr></w:sdtPr><w:sdtContent><w:p><w:r/></w:p></w:sdtContent></w:sdt>",
    "<w:p><m:oMath><m:r><m:rPr><m:sty m:val=\"p\"/></m:rPr><m:t>x</m:t></m:r><m:r><m:t>y</m:t></m:r></m:oMath></w:p>",
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>",
    "<w:p><w:r><w:pict><w:txbxContent><w:p><w:r><w:t>box</w:t></w:r></w:p>"
    "<w:p><w:r><w:pict><w:txbxContent><w:p/></w:txbxContent></w:pict></w:r></w:p></w:txbxContent></w:pict></w:r></w:p>",
};

using Collect = StoryTargets (*)(XmlPart&);
using Pass = StoryCounts (*)(XmlPart&, const FontChange&, const RevisionMark*);

struct Reach {
    const char* name;
    Collect collect;
    Pass pass;
};

const Reach kReaches[] = {
    {"story", &StoryTargets::ofStory, &applyFontToStory},
    {"text boxes", &StoryTargets::ofTextBoxes, &applyFontToTextBoxes},
};

RevisionMark numberedRevision(int& nextId)
{
    return RevisionMark{"Glyphmere", "2024-01-02T03:04:05Z", [&nextId] { return nextId++; }};
}

TEST(StoryTargets, OneCollectionForSeveralChanges_MatchesAFreshWalkForEach)
{
    const FontChange changes[] = {kArial, kEleven, kArial, FontChange{"Arial", 22, "SimSun", "Mangal"}};
    for (const Reach& reach : kReaches) {
        for (const char* story : kStories) {
            for (const bool tracked : {false, true}) {
                XmlPart collectedOnce("word/document.xml", documentXml(story));
                XmlPart walkedEachTime("word/document.xml", documentXml(story));
                int onceId = 10;
                int eachId = 10;
                const RevisionMark onceRevision = numberedRevision(onceId);
                const RevisionMark eachRevision = numberedRevision(eachId);
                StoryTargets targets = reach.collect(collectedOnce);
                for (const FontChange& change : changes) {
                    const StoryCounts once = targets.apply(change, tracked ? &onceRevision : nullptr);
                    const StoryCounts each = reach.pass(walkedEachTime, change, tracked ? &eachRevision : nullptr);
                    EXPECT_EQ(once.runs, each.runs) << reach.name << ": " << story;
                    EXPECT_EQ(once.paragraphMarks, each.paragraphMarks) << reach.name << ": " << story;
                }
                EXPECT_EQ(collectedOnce.serialize(), walkedEachTime.serialize()) << reach.name << ": " << story;
                EXPECT_EQ(collectedOnce.changed(), walkedEachTime.changed()) << reach.name << ": " << story;
            }
        }
    }
}

TEST(StoryTargets, StoryAlreadyInTheFont_IsLeftUnchangedAndUnmarked)
{
    const std::string markup = documentXml(
        R"(<w:p><w:pPr><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/><w:sz w:val="22"/><w:szCs w:val="22"/>)"
        R"(</w:rPr></w:pPr><w:r><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/><w:sz w:val="22"/>)"
        R"(<w:szCs w:val="22"/></w:rPr></w:r></w:p>)");
    XmlPart part("word/document.xml", markup);
    StoryTargets targets = StoryTargets::ofStory(part);
    EXPECT_EQ(targets.apply(kArial, nullptr).runs, 0);
    EXPECT_EQ(targets.apply(kEleven, nullptr).paragraphMarks, 0);
    EXPECT_FALSE(part.changed());
    EXPECT_EQ(part.serialize(), markup);
}

TEST(StoryTargets, NoStory_ChangesNothing)
{
    StoryTargets none;
    EXPECT_FALSE(none.hasStory());
    const StoryCounts counts = none.apply(kArial, nullptr);
    EXPECT_EQ(counts.runs + counts.paragraphMarks, 0);
}

// One engine instance over a document with a header and a footer, driven call by call.
struct SessionFixture {
    SessionFixture()
        : log(std::make_shared<testing::SaveLog>()),
          session(testing::inMemoryOpener(testing::headedDocument("", ""), log),
                  [] { return std::string("2024-05-06T07:08:09Z"); })
    {
        session.open(kPath);
    }

    std::map<std::string, std::string> save()
    {
        session.saveAs(kPath);
        return log->saves.back();
    }

    static constexpr const char* kPath = "/docs/report.docx";
    std::shared_ptr<testing::SaveLog> log;
    EngineSession session;
};

TEST(SelectionCache, SeekViewOrLeavingPrintLayout_DropsTheSelection)
{
    SessionFixture seek;
    seek.session.setFontName(Variant("Arial")); // before any WholeStory: an insertion point
    seek.session.selectWholeStory();
    seek.session.setSeekView(Variant(std::int32_t{9}));
    seek.session.setFontName(Variant("Arial"));
    EXPECT_TRUE(seek.save().empty());

    SessionFixture layout;
    layout.session.setSeekView(Variant(std::int32_t{9}));
    layout.session.selectWholeStory();
    layout.session.setViewType(Variant(std::int32_t{1}));
    layout.session.setFontSize(Variant("11"));
    EXPECT_TRUE(layout.save().empty());
}

TEST(SelectionCache, NewSelectionInAnotherStory_ChangesOnlyThatStory)
{
    SessionFixture engine;
    engine.session.selectWholeStory();
    engine.session.setFontName(Variant("Arial"));
    engine.session.setSeekView(Variant(std::int32_t{10}));
    engine.session.selectWholeStory();
    engine.session.setFontSize(Variant("11"));
    engine.session.setFontName(Variant("DejaVu Sans"));
    const auto saved = engine.save();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_THAT(saved.at("word/document.xml"), HasSubstr(R"(<w:rFonts w:ascii="Arial" w:hAnsi="Arial"/>)"));
    EXPECT_THAT(saved.at("word/document.xml"), Not(HasSubstr("w:sz ")));
    EXPECT_THAT(saved.at("word/footer1.xml"),
                HasSubstr(R"(<w:rPr><w:rFonts w:ascii="DejaVu Sans" w:hAnsi="DejaVu Sans"/><w:sz w:val="22"/>)"
                          R"(<w:szCs w:val="22"/></w:rPr>)"));
}

} // namespace
} // namespace glyphmere::docengine
