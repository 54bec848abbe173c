#include "docengine/binary/WordBinaryDocument.h"

#include "support/SavedProperties.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace glyphmere::docengine {
namespace {

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Every fixture LibreOffice wrote: the main text and page 1's header and footer take the new size as the last
// word of their properties, and every other character keeps its properties exactly.
TEST(WordBinaryFixtures, RestyleTheChosenStoriesAndNothingElse)
{
    const binary_testing::FixedFonts fonts;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GLYPHMERE_TEST_DATA "/doc")) {
        ++files;
        const std::string original = fileBytes(entry.path());
        WordBinaryDocument document(original, fonts);
        std::vector<CpRange> chosen;
        for (const BinaryStory story :
             {BinaryStory::MainText, BinaryStory::CurrentPageHeader, BinaryStory::CurrentPageFooter}) {
            for (const CpRange& range : document.story(story))
                chosen.push_back(range);
        }
        FontChange change;
        change.halfPoints = 27;
        document.restyle(chosen, change);
        const std::string saved = document.savedBytes();

        const std::vector<std::string> before = binary_testing::propertiesByCp(original);
        const std::vector<std::string> after = binary_testing::propertiesByCp(saved);
        ASSERT_EQ(before.size(), after.size()) << entry.path();
        std::vector<bool> isChosen(before.size(), false);
        for (const CpRange& range : chosen)
            std::fill(isChosen.begin() + range.start, isChosen.begin() + range.end, true);
        for (std::size_t cp = 0; cp < before.size(); ++cp) {
            if (isChosen[cp]) {
                ASSERT_TRUE(binary_testing::endsWithSizeSprms(after[cp], 27)) << entry.path() << " CP " << cp;
            } else {
                ASSERT_EQ(after[cp], before[cp]) << entry.path() << " CP " << cp;
            }
        }
        WordBinaryDocument reopened(saved, fonts);
        EXPECT_EQ(reopened.story(BinaryStory::MainText), document.story(BinaryStory::MainText));
    }
    EXPECT_GE(files, 10);
}

} // namespace
} // namespace glyphmere::docengine
