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

std::vector<std::filesystem::path> fixturePaths()
{
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(GLYPHMERE_TEST_DATA "/doc"))
        paths.push_back(entry.path());
    return paths;
}

struct Restyled {
    std::string bytes;
    std::vector<CpRange> chosen; // the main text and page 1's header and footer
};

Restyled restyled(const std::string& fileBytes, const FontChange& change)
{
    const binary_testing::FixedFonts fonts;
    WordBinaryDocument document(fileBytes, fonts);
    Restyled result;
    for (const BinaryStory story :
         {BinaryStory::MainText, BinaryStory::CurrentPageHeader, BinaryStory::CurrentPageFooter}) {
        for (const CpRange& range : document.story(story))
            result.chosen.push_back(range);
    }
    document.restyle(result.chosen, change);
    result.bytes = document.savedBytes();
    return result;
}

FontChange sizeChange(int halfPoints)
{
    FontChange change;
    change.name = "Glyph Test Sans";
    change.halfPoints = halfPoints;
    return change;
}

// The chosen stories' characters end their properties with the size, every other character keeps those of
// the original exactly.
void expectRestyledAt(const std::string& original, const Restyled& saved, std::uint16_t halfPoints,
                      const std::string& name)
{
    const std::vector<std::string> before = binary_testing::propertiesByCp(original);
    const std::vector<std::string> after = binary_testing::propertiesByCp(saved.bytes);
    ASSERT_EQ(before.size(), after.size()) << name;
    std::vector<bool> isChosen(before.size(), false);
    for (const CpRange& range : saved.chosen)
        std::fill(isChosen.begin() + range.start, isChosen.begin() + range.end, true);
    for (std::size_t cp = 0; cp < before.size(); ++cp) {
        if (isChosen[cp]) {
            ASSERT_TRUE(binary_testing::endsWithSizeSprms(after[cp], halfPoints)) << name << " CP " << cp;
        } else {
            ASSERT_EQ(after[cp], before[cp]) << name << " CP " << cp;
        }
    }
}

// Every fixture LibreOffice wrote: the main text and page 1's header and footer take the new size as the last
// word of their properties, and every other character keeps its properties exactly.
TEST(WordBinaryFixtures, RestyleTheChosenStoriesAndNothingElse)
{
    for (const std::filesystem::path& path : fixturePaths()) {
        const std::string original = fileBytes(path);
        const Restyled saved = restyled(original, sizeChange(27));
        expectRestyledAt(original, saved, 27, path.filename());
        const binary_testing::FixedFonts fonts;
        EXPECT_EQ(WordBinaryDocument(saved.bytes, fonts).story(BinaryStory::MainText),
                  WordBinaryDocument(original, fonts).story(BinaryStory::MainText));
    }
    EXPECT_GE(fixturePaths().size(), 10u);
}

// Restyling a restyled document again writes over the pages and tables the first restyle appended: the
// same restyle changes no byte, another size keeps the file's size, and going back to the first size gives
// the first result's bytes.
TEST(WordBinaryFixtures, RestylingAgainDoesNotGrowTheFile)
{
    for (const std::filesystem::path& path : fixturePaths()) {
        const std::string name = path.filename();
        const std::string original = fileBytes(path);
        const Restyled once = restyled(original, sizeChange(27));
        // Compared as a whole, not printed: the files are kilobytes long.
        EXPECT_TRUE(restyled(once.bytes, sizeChange(27)).bytes == once.bytes) << name << " changed again";

        const Restyled twice = restyled(once.bytes, sizeChange(40));
        EXPECT_EQ(twice.bytes.size(), once.bytes.size()) << name;
        expectRestyledAt(original, twice, 40, name);
        EXPECT_TRUE(restyled(twice.bytes, sizeChange(27)).bytes == once.bytes) << name << " did not come back";
    }
}

} // namespace
} // namespace glyphmere::docengine
