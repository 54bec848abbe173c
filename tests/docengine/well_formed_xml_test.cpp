#include "docengine/ooxml/WellFormedXml.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

using ::testing::HasSubstr;

const std::string kOpen = R"(<w:document xmlns:w="urn:w" xmlns:r="urn:r"><w:body>)";
const std::string kClose = "</w:body></w:document>";

struct MarkupCase {
    const char* label;
    std::string markup;
    std::string problem; // "" when well-formed
};

TEST(WellFormedXml, EachRuleOfXmlAndNamespacesIsHeld)
{
    const auto body = [](const std::string& inside) { return kOpen + inside + kClose; };
    const MarkupCase cases[] = {
        {"everything allowed",
         R"(<?xml version="1.0" encoding='UTF-8' standalone="yes"?><!-- note --><?mso-app x?>)"
         R"(<w:document xmlns:w="urn:w" xmlns="urn:d"><w:t xml:space="preserve" w:val = 'a&amp;&#233;&#x1F600;'>)"
         "\xC3\xA9t\xC3\xA9 &lt;&gt;&quot;&apos; <![CDATA[<&]]><\xC3\xA9l\xC3\xA9ment/></w:t ></w:document>\n",
         ""},
        {"a default namespace undeclared", R"(<a xmlns="urn:a"><b xmlns=""/></a>)", ""},
        {"the same local name in two namespaces", body(R"(<w:p w:val="1" r:val="2"/>)"), ""},
        {"duplicate attribute", body(R"(<w:p w:val="a" w:val="b"/>)"), "the attribute \"w:val\" given twice"},
        {"duplicate namespace declaration", body(R"(<w:p xmlns:x="urn:x" xmlns:x="urn:x"/>)"),
         "the attribute \"xmlns:x\" given twice"},
        {"one attribute through two prefixes", body(R"(<w:p xmlns:v="urn:w" w:val="1" v:val="2"/>)"),
         "given twice in one namespace"},
        {"undeclared prefix", body("<x:p/>"), "the prefix \"x\" is not declared"},
        {"prefix declared empty", body(R"(<w:p xmlns:x=""/>)"), "declared empty"},
        {"xmlns prefix bound", body(R"(<w:p xmlns:xmlns="urn:x"/>)"), "reserved namespace"},
        {"encoded lone surrogate", body("<w:t>\xED\xA0\x80</w:t>"), "bytes that are not UTF-8"},
        {"overlong encoding", body("<w:t>\xC0\xAE</w:t>"), "bytes that are not UTF-8"},
        {"NUL", body(std::string("<w:t>a\0b</w:t>", 14)), "a character that XML does not allow"},
        {"control character", body("<w:t>\x01</w:t>"), "a character that XML does not allow"},
        {"U+FFFE", body("<w:t>\xEF\xBF\xBE</w:t>"), "a character that XML does not allow"},
        {"undefined entity", body("<w:t>&nbsp;</w:t>"), "a reference to an undefined entity"},
        {"malformed character reference", body("<w:t>&#xZZ;</w:t>"), "a malformed character reference"},
        {"reference to NUL", body("<w:t>&#0;</w:t>"), "a reference to a character that XML does not allow"},
        {"reference to a surrogate", body(R"(<w:t w:val="&#xD800;"/>)"), "does not allow"},
        {"bare ampersand", body("<w:t>a & b</w:t>"), "a malformed reference"},
        {"\"<\" in an attribute", body(R"(<w:p w:val="a<b"/>)"), "a \"<\" in an attribute value"},
        {"attributes run together", body(R"(<w:p w:a="1"w:b="2"/>)"), "without whitespace"},
        {"name starting with a digit", body("<w:p><1a/></w:p>"), "a name that XML does not allow"},
        {"local name starting with a digit", body(R"(<w:p w:7a="1"/>)"), "is no qualified name"},
        {"\"]]>\" in text", body("<w:t>]]></w:t>"), "\"]]>\" in text"},
        {"\"--\" in a comment", body("<!-- a -- b -->"), "a comment that holds \"--\""},
        {"declaration not at the start", " " + body("<?xml version=\"1.0\"?>"), "an XML declaration that is not at"},
        {"version 2", R"(<?xml version="2.0"?><a/>)", "an XML version that is not 1.x"},
        {"mismatched end tag", body("<w:p></w:r>"), "the end tag \"w:r\" closes \"w:p\""},
        {"unclosed element", kOpen, "an element that does not end"},
        {"second root", body("") + "<w:x/>", "content after the root element"},
        {"document type", "<!DOCTYPE a><a/>", "markup that XML does not allow here"},
    };
    for (const MarkupCase& row : cases) {
        SCOPED_TRACE(row.label);
        const auto problem = xmlWellFormednessProblem(row.markup);
        if (row.problem.empty())
            EXPECT_EQ(problem.value_or(""), "");
        else
            EXPECT_THAT(problem.value_or("(well-formed)"), HasSubstr(row.problem));
    }
}

TEST(WellFormedXml, Utf16MarkupIsCheckedAfterDecoding)
{
    const auto utf16 = [](const std::u16string& text) {
        std::string bytes;
        for (const char16_t unit : text)
            bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return bytes;
    };
    EXPECT_EQ(xmlWellFormednessProblem(utf16(u"<a>\U0001D11E</a>"), true), std::nullopt);
    EXPECT_THAT(xmlWellFormednessProblem(utf16(u"<a>\xD800</a>"), true).value_or(""), HasSubstr("lone surrogate"));
    EXPECT_THAT(xmlWellFormednessProblem(utf16(u"<a a='1' a='2'/>"), true).value_or(""), HasSubstr("given twice"));
}

} // namespace
} // namespace glyphmere::docengine
