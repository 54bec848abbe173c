#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/session/EngineAutomation.h"
#include "docengine/session/RestyleRequest.h"
#include "support/SystemFileSystem.h"
#include "support/SavedProperties.h"
#include "support/TestDocuments.h"
#include "word/OptionsSource.h"
#include "word/RestyleDocument.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using ::testing::ElementsAre;

std::string copyOfFixture(const TemporaryFolder& folder, const std::string& name)
{
    const std::string path = folder.file(name);
    writeFile(path, readFile(std::string(GLYPHMERE_TEST_DATA "/doc/") + name));
    return path;
}

// The window's sequence of Word calls (Open, ReadOnly, SaveFormat, WholeStory, Font.Name, Font.Size, View.Type,
// SeekView 9 and 10, SaveAs2, Close, Quit) restyles a .doc in place: the main text and page 1's header and
// footer take the size, and the text outside them keeps its properties.
TEST(BinaryEditableDocument, WordCallsRestyleADocInPlace)
{
    TemporaryFolder folder;
    const std::string path = copyOfFixture(folder, "headers.doc");
    const std::vector<std::string> before = binary_testing::propertiesByCp(readFile(path));

    EngineAutomation automation;
    const word::RestyleResult result = word::RestyleDocument(automation, testing_support::systemFileSystem(),
                                                             word::FixedOptions("DejaVu Sans", "13", true), path);
    ASSERT_TRUE(result.ok) << result.reason;

    const std::vector<std::string> after = binary_testing::propertiesByCp(readFile(path));
    ASSERT_EQ(after.size(), before.size());
    const int restyled = static_cast<int>(std::count_if(after.begin(), after.end(), [](const std::string& list) {
        return binary_testing::endsWithSizeSprms(list, 26);
    }));
    EXPECT_GT(restyled, 0);
    int kept = 0;
    for (std::size_t cp = 0; cp < after.size(); ++cp)
        kept += after[cp] == before[cp];
    EXPECT_EQ(restyled + kept, static_cast<int>(after.size())) << "a character changed another way";
    EXPECT_GT(kept, 0) << "the footnote-free fixture still has its header guard marks and the final mark";
}

TEST(BinaryEditableDocument, SaveFormat_IsWordsForADocumentOrATemplate)
{
    TemporaryFolder folder;
    for (const auto& [name, format] : {std::pair{"headers.doc", 0}, std::pair{"template.dot", 1}}) {
        EngineAutomation automation;
        const platform::Variant app(automation.create("Word.Application"));
        const platform::Variant document = app.get("Documents").call("Open", {copyOfFixture(folder, name)});
        EXPECT_EQ(document.get("SaveFormat").toInt32(), format) << name;
        app.call("Quit", {std::int32_t{0}});
    }
}

TEST(BinaryEditableDocument, BatchListsEveryStoryAndADryRunWritesNothing)
{
    TemporaryFolder folder;
    const std::string path = copyOfFixture(folder, "notes.doc");
    const std::string original = readFile(path);
    RestyleRequest request;
    request.fontName = "DejaVu Serif";
    request.fontSize = "11";
    request.reach = StoryReach::AllStories;
    request.dryRun = true;
    std::vector<std::string> stories;
    for (const StoryChanges& changes : restyleDocumentFile(path, request)) {
        stories.push_back(changes.story);
        EXPECT_GT(changes.runs, 0) << changes.story;
    }
    EXPECT_EQ(stories.front(), "main text");
    EXPECT_THAT(stories, ::testing::Contains("footnotes"));
    EXPECT_EQ(readFile(path), original);

    request.dryRun = false;
    request.reach = StoryReach::MainText;
    EXPECT_EQ(restyleDocumentFile(path, request).size(), 1u);
    EXPECT_NE(readFile(path), original);
}

TEST(BinaryEditableDocument, StylesOptionIsRefusedAndTheFileStays)
{
    TemporaryFolder folder;
    const std::string path = copyOfFixture(folder, "lists.doc");
    const std::string original = readFile(path);
    RestyleRequest request;
    request.fontName = "DejaVu Serif";
    request.fontSize = "12";
    request.styles = true;
    EXPECT_EQ(testing_support::errorText<EngineError>([&] { restyleDocumentFile(path, request); }),
              messages::kWordBinaryStyles);
    EXPECT_EQ(readFile(path), original);
}

} // namespace
} // namespace glyphmere::docengine
