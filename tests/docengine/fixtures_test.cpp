#include "round_trip_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::round_trip;

// Documents written by other programs (tests/data/make-fixtures.sh remakes them), and the parts that
// restyling the main text and the current page's header and footer must change.
struct Fixture {
    const char* file;
    std::vector<std::string> changed; // sorted
    std::vector<std::string> untouchedStories;
};

const Fixture kFixtures[] = {
    {"libreoffice.docx", {"word/document.xml", "word/footer1.xml", "word/header1.xml"}, {}},
    {"libreoffice-rich.docx",
     {"word/document.xml", "word/footer2.xml", "word/header2.xml"},
     {"word/header1.xml", "word/footer1.xml", "word/footnotes.xml", "word/comments.xml"}},
    {"pandoc.docx", {"word/document.xml"}, {"word/footnotes.xml", "word/comments.xml"}},
    {"python-docx.docx",
     {"word/document.xml", "word/footer1.xml", "word/header1.xml"},
     {"word/header2.xml", "word/footer2.xml"}},
};

void PrintTo(const Fixture& fixture, std::ostream* out) { *out << fixture.file; }

class FixtureRestyle : public ::testing::TestWithParam<Fixture> {};

TEST_P(FixtureRestyle, ChangesOnlyTheRunPropertiesOfTheChosenStories)
{
    const Fixture& fixture = GetParam();
    const std::string original = std::string(GLYPHMERE_TEST_DATA) + "/" + fixture.file;
    TemporaryFolder folder;
    const std::string path = folder.file(fixture.file);
    std::filesystem::copy_file(original, path);

    ASSERT_EQ(restyle(path, "DejaVu Serif", "13", true), "");

    auto changed = changedEntries(original, path);
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, fixture.changed);
    for (const std::string& entry : fixture.changed)
        EXPECT_GT(expectStoryRestyled(entryText(path, entry), "DejaVu Serif", 26), 0) << entry;
    const std::vector<std::string> boxes = textBoxes(entryText(original, "word/document.xml"));
    EXPECT_EQ(textBoxes(entryText(path, "word/document.xml")), boxes);
    for (const std::string& entry : fixture.untouchedStories)
        EXPECT_EQ(entryText(path, entry), entryText(original, entry)) << entry;
}

INSTANTIATE_TEST_SUITE_P(Documents, FixtureRestyle, ::testing::ValuesIn(kFixtures),
                         [](const ::testing::TestParamInfo<Fixture>& info) {
                             std::string name = info.param.file;
                             name.erase(name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(FixtureRoundTrip, SecondRestyle_ChangesNothingMore)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    const std::string firstSave = folder.file("first.docx");
    std::filesystem::copy_file(std::string(GLYPHMERE_TEST_DATA) + "/python-docx.docx", path);
    ASSERT_EQ(restyle(path, "Liberation Serif", "11", true), "");
    std::filesystem::copy_file(path, firstSave);
    ASSERT_EQ(restyle(path, "Liberation Serif", "11", true), "");
    EXPECT_EQ(changedEntries(firstSave, path), std::vector<std::string>{});
}

} // namespace
} // namespace glyphmere::docengine
