// The installed fonts through GDI and the Fonts registry keys, under Wine or Windows.
#include "docengine/fonts/SystemFonts.h"
#include "common/Utf16.h"
#include "docengine/fonts/win32/FontRegistry.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace glyphmere::docengine {
namespace {

TEST(Win32Fonts, NamesCompareWithoutRegardToCaseInEveryScript)
{
    struct Row {
        const char* a;
        const char* b;
        bool same;
    };
    const Row rows[] = {
        {"Arial", "ARIAL", true},
        {"\xC3\x84rial", "\xC3\xA4RIAL", true},                                         // Ärial, äRIAL
        {"\xCE\xA3\xCE\xAF\xCF\x83\xCF\x85", "\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5", true}, // Σίσυ, ΣΊΣΥ
        {"Arial", "Arial Black", false},
        {"Arial", "", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sameFontName(row.a, row.b), row.same) << row.a << " / " << row.b;
}

TEST(Win32Fonts, RegistryEntriesNameTheirFacesInOrder)
{
    EXPECT_EQ(facesOfFontEntry("Arial (TrueType)"), std::vector<std::string>{"Arial"});
    EXPECT_EQ(facesOfFontEntry("Cambria & Cambria Math (TrueType)"),
              (std::vector<std::string>{"Cambria", "Cambria Math"}));
    EXPECT_EQ(facesOfFontEntry("Courier 10,12,15"), std::vector<std::string>{"Courier 10,12,15"});
}

// Every system has fonts; a family it lists is found again under its own name, and a family whose file
// the registry names is found with a file that exists.
TEST(Win32Fonts, ListedFamiliesAreFoundWithTheirFiles)
{
    const std::vector<std::vector<LocalizedFamily>> families = installedFamilies();
    ASSERT_FALSE(families.empty());
    int withFile = 0;
    for (const auto& names : families) {
        const std::optional<InstalledFace> face = findInstalledFace(names.front().name);
        ASSERT_TRUE(face) << names.front().name;
        EXPECT_TRUE(sameFontName(face->family, names.front().name));
        if (face->filePath.empty())
            continue;
        ++withFile;
        const std::u16string wide = common::utf16FromUtf8(face->filePath).value();
        EXPECT_NE(GetFileAttributesW(reinterpret_cast<const wchar_t*>(wide.c_str())), INVALID_FILE_ATTRIBUTES)
            << face->filePath;
    }
    EXPECT_GT(withFile, 0) << "no listed family has a file in the Fonts registry keys";
    EXPECT_FALSE(findInstalledFace("No Such Family Glyphmere"));
}

} // namespace
} // namespace glyphmere::docengine
