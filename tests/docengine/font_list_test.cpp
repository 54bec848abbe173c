#include "docengine/session/FontNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using Names = std::vector<std::string>;

TEST(FontList, Selection_EnglishNameOnceSortedWithoutRegardToCase)
{
    const std::vector<std::vector<LocalizedFamily>> fonts = {
        {{"Noto Sans", "en"}},
        {{"文泉驿正黑", "zh-cn"}, {"WenQuanYi Zen Hei", "en"}},
        {{"Bitstream", ""}, {"Other Name", ""}},
        {{"noto sans", "en"}},
        {{"@MS Mincho", "en"}},
        {{std::string(32, 'x'), "en"}},
        {{std::string(31, 'y'), "en"}},
        {{"arial", "en"}},
        {},
    };
    EXPECT_EQ(selectFontNames(fonts),
              (Names{"arial", "Bitstream", "Noto Sans", "WenQuanYi Zen Hei", std::string(31, 'y')}));
}

// Needs DejaVu Sans (fonts-dejavu-core, installed by scripts/install-deps.sh --tests).
TEST(FontList, InstalledFonts_AreListedFromFontconfig)
{
    const Names names = installedFontNames();
    EXPECT_THAT(names, ::testing::Contains("DejaVu Sans")) << "fonts-dejavu-core is not installed";
    EXPECT_EQ(names, selectFontNames([&] {
                  std::vector<std::vector<LocalizedFamily>> again;
                  for (const auto& name : names)
                      again.push_back({{name, "en"}});
                  return again;
              }()))
        << "the list is already unique and sorted";
}

} // namespace
} // namespace glyphmere::docengine
