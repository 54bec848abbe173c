#include "common/Utf16.h"

#include <gtest/gtest.h>

#include <string>

namespace glyphmere::common {
namespace {

TEST(Utf16, ValidText_ConvertsBothWays)
{
    EXPECT_EQ(utf16FromUtf8("A\u00E9\u4E2D\U0001F600"), std::u16string(u"A\u00E9\u4E2D\U0001F600"));
    EXPECT_EQ(utf8FromUtf16(u"A\u00E9\u4E2D\U0001F600"), "A\u00E9\u4E2D\U0001F600");
    for (std::string_view invalid : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3"})
        EXPECT_EQ(utf16FromUtf8(invalid), std::nullopt) << ::testing::PrintToString(invalid);
}

// Names and text read from files may hold a surrogate without its partner; each one becomes U+FFFD, in
// text and in little-endian bytes alike, and what follows it is kept.
TEST(Utf16, LoneSurrogates_BecomeTheReplacementCharacter)
{
    const struct {
        const char* what;
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {"high one between letters", {u'a', char16_t(0xD800), u'b'}, "a\uFFFDb"},
        {"low one first", {char16_t(0xDC00), u'b'}, "\uFFFDb"},
        {"high one last", {u'a', char16_t(0xDBFF)}, "a\uFFFD"},
        {"pair in the wrong order", {char16_t(0xDC00), char16_t(0xD800)}, "\uFFFD\uFFFD"},
        {"two high ones, then a pair", {char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}, "\uFFFD\U0001F600"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(utf8FromUtf16(row.utf16), row.utf8);
        std::string bytes;
        for (const char16_t unit : row.utf16) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        EXPECT_EQ(utf8FromUtf16Le(bytes + std::string("\0\0x\0", 4)), row.utf8);
    }
}

TEST(Utf16, LittleEndianBytes_EndAtTheFirstNulOrTheLastWholeUnit)
{
    EXPECT_EQ(utf8FromUtf16Le(std::string("R\0o\0", 4)), "Ro");
    EXPECT_EQ(utf8FromUtf16Le(std::string("R\0o\0\0\0t\0", 8)), "Ro");
    EXPECT_EQ(utf8FromUtf16Le(std::string("R\0o", 3)), "R");
    EXPECT_EQ(utf8FromUtf16Le(""), "");
}

} // namespace
} // namespace glyphmere::common
