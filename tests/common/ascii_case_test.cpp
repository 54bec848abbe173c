#include "common/AsciiCase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace glyphmere::common {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold)
{
    EXPECT_EQ(toLowerAscii("Word/Document.XML"), "word/document.xml");
    // UTF-8 and Latin-1 bytes stay as they are, whatever the process locale would say about them.
    EXPECT_EQ(toLowerAscii("\xC3\x89T\xC3\x89 \xC9"), "\xC3\x89t\xC3\x89 \xC9");
    EXPECT_EQ(toLowerAscii("@[`{"), "@[`{");
}

TEST(AsciiCase, Comparisons)
{
    const struct {
        const char* a;
        const char* b;
        bool equal;
        bool aStartsWithB;
    } cases[] = {
        {"Word.Application", "word.application", true, true},
        {"_XMLSIGNATURES/sig1.xml", "_xmlsignatures/", false, true},
        {"\xC3\x89", "\xC3\xA9", false, false}, // É and é are no ASCII letters
        {"abc", "abcd", false, false},
        {"", "", true, true},
    };
    for (const auto& [a, b, equal, aStartsWithB] : cases) {
        SCOPED_TRACE(std::string(a) + " / " + b);
        EXPECT_EQ(equalsIgnoringCase(a, b), equal);
        EXPECT_EQ(startsWithIgnoringCase(a, b), aStartsWithB);
    }
}

TEST(AsciiCase, LessIgnoringCase_FoldsLettersAndComparesBytesUnsigned)
{
    std::vector<std::string> names{"b.docx", "\xC3\xA9.docx", "A.docx", "_x.docx", "a.docx", "B.docx"};
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return lessIgnoringCase(a, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"_x.docx", "A.docx", "a.docx", "b.docx", "B.docx", "\xC3\xA9.docx"}));
}

} // namespace
} // namespace glyphmere::common
