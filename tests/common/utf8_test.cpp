#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace glyphmere::common {
namespace {

TEST(Utf8, ShortestFormsUpToTheLastCodePoint_AreDecodedAndEncoded)
{
    const struct {
        std::string bytes;
        char32_t codePoint;
    } cases[] = {
        {"A", U'A'},
        {"\xC2\x80", U'\u0080'},
        {"\xDF\xBF", U'\u07FF'},
        {"\xE0\xA0\x80", U'\u0800'},
        {"\xED\x9F\xBF", U'\uD7FF'},
        {"\xEE\x80\x80", U'\uE000'},
        {"\xEF\xBF\xBF", U'\uFFFF'},
        {"\xF0\x90\x80\x80", U'\U00010000'},
        {"\xF4\x8F\xBF\xBF", U'\U0010FFFF'},
    };
    for (const auto& [bytes, codePoint] : cases) {
        SCOPED_TRACE(bytes);
        const auto character = decodeUtf8(bytes + "rest");
        ASSERT_TRUE(character.has_value());
        EXPECT_EQ(character->codePoint, codePoint);
        EXPECT_EQ(character->length, bytes.size());
        std::string encoded;
        appendUtf8(encoded, codePoint);
        EXPECT_EQ(encoded, bytes);
    }
}

TEST(Utf8, OverlongSurrogateTooLargeOrCutSequences_AreInvalid)
{
    const char* cases[] = {
        "\x80",             // a continuation byte without a lead
        "\xC0\xAF",         // overlong "/"
        "\xC1\xBF",         // overlong
        "\xE0\x9F\xBF",     // overlong
        "\xED\xA0\x80",     // the surrogate U+D800
        "\xED\xBF\xBF",     // the surrogate U+DFFF
        "\xF0\x8F\xBF\xBF", // overlong
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF5\x80\x80\x80", // no such lead
        "\xFF",
        "\xE2\x82",     // cut short
        "\xE2\x28\xA1", // a second byte that is no continuation
    };
    for (const std::string bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_FALSE(decodeUtf8(bytes).has_value());
        EXPECT_EQ(validUtf8Length(bytes), 0u);
        EXPECT_FALSE(utf16Length("ok" + bytes).has_value());
        EXPECT_FALSE(utf16Length(bytes + "ok").has_value());
    }
}

TEST(Utf8, Utf16Length_CountsTwoUnitsAboveTheBasicPlane)
{
    EXPECT_EQ(utf16Length(""), 0u);
    EXPECT_EQ(utf16Length("Arial"), 5u);
    EXPECT_EQ(utf16Length("\xC3\xA9t\xC3\xA9"), 3u);        // "été"
    EXPECT_EQ(utf16Length("\xE6\x98\x8E\xE6\x9C\x9D"), 2u); // two CJK characters
    EXPECT_EQ(utf16Length("\xF0\x9F\x98\x80"
                          "a"),
              3u); // an emoji and "a"
}

} // namespace
} // namespace glyphmere::common
