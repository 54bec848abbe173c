#include "docengine/ooxml/XmlPart.h"

#include "docengine/EngineError.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine {
namespace {

std::string utf16(const std::string& ascii, bool littleEndian)
{
    std::string bytes;
    for (char c : ascii) {
        bytes += littleEndian ? c : '\0';
        bytes += littleEndian ? '\0' : c;
    }
    return bytes;
}

TEST(XmlPart, UntouchedMarkup_SerialisesToTheSameBytes)
{
    const std::string markup =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<?mso-application progid=\"Word.Document\"?>"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
        R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" mc:Ignorable="w14">)"
        "<!-- kept -->\n  <w:body><w:p><w:r><w:t xml:space=\"preserve\">  </w:t></w:r>"
        "<w:r><w:t>a &amp; b &lt; c</w:t></w:r><w:x title=\"&quot;q&quot;\" line=\"1&#10;2\"/></w:p>"
        "<unknown:thing xmlns:unknown=\"urn:x\"><![CDATA[<raw>]]></unknown:thing></w:body></w:document>";
    const XmlPart part("word/document.xml", markup);
    EXPECT_EQ(part.serialize(), markup);
}

TEST(XmlPart, Utf16Part_IsWrittenBackInUtf16)
{
    for (bool littleEndian : {true, false}) {
        for (bool byteOrderMark : {true, false}) {
            const std::string bom = !byteOrderMark ? "" : littleEndian ? "\xFF\xFE" : "\xFE\xFF";
            const std::string bytes =
                bom + utf16(R"(<?xml version="1.0" encoding="UTF-16"?><a><b>x</b></a>)", littleEndian);
            XmlPart part("word/settings.xml", bytes);
            part.root().append_child("c");
            EXPECT_EQ(part.serialize(),
                      bom + utf16(R"(<?xml version="1.0" encoding="UTF-16"?><a><b>x</b><c/></a>)", littleEndian))
                << "little endian " << littleEndian << ", byte order mark " << byteOrderMark;
        }
    }
}

TEST(XmlPart, CharacterReferencesToLineEndsAndTabs_KeepTheirMeaning)
{
    const std::string markup = "<?pi a\r\nb?><a v=\"x&#09;y&#13;z&#10;w\">p&#13;q<!-- <? --><?pi c\r\nd?></a>";
    XmlPart part("x.xml", markup);
    part.markChanged();
    const XmlPart reread("x.xml", part.serialize());
    EXPECT_STREQ(reread.root().attribute("v").value(), "x\ty\rz\nw");
    EXPECT_STREQ(reread.root().text().get(), "p\rq");
    EXPECT_STREQ(reread.document().first_child().value(), "a\r\nb") << "instructions keep their own line ends";
    EXPECT_STREQ(reread.root().last_child().value(), "c\r\nd");
}

TEST(XmlPart, Utf16Part_KeepsCharactersOutsideTheBasicPlane)
{
    const std::string utf8 = "<a>\xF0\x9F\x98\x80\xC3\xA9</a>";
    const std::string utf16le = std::string("\xFF\xFE<\0a\0>\0\x3D\xD8\x00\xDE\xE9\0<\0/\0a\0>\0", 22);
    const XmlPart part("x.xml", utf16le);
    EXPECT_STREQ(part.root().text().get(), utf8.substr(3, 6).c_str());
    EXPECT_EQ(part.serialize(), utf16le);
}

TEST(XmlPart, Utf8ByteOrderMark_IsKept)
{
    const std::string markup = "\xEF\xBB\xBF<a>\xC3\xA9</a>";
    EXPECT_EQ(XmlPart("x.xml", markup).serialize(), markup);
}

TEST(XmlPart, MalformedMarkup_IsRefusedWithPartNameDescriptionAndOffset)
{
    EXPECT_EQ(testing_support::errorText<EngineError>([] { XmlPart("word/document.xml", "<a><b></a>"); }),
              "the part word/document.xml is damaged (Start-end tags mismatch at offset 8)");
    EXPECT_THROW(XmlPart("word/document.xml", ""), EngineError);
    EXPECT_THROW(XmlPart("word/document.xml", "<!-- only a comment -->"), EngineError);
}

TEST(XmlPart, EncodingOtherThanUnicode_IsRefused)
{
    EXPECT_THROW(XmlPart("word/document.xml", R"(<?xml version="1.0" encoding="ISO-8859-1"?><a/>)"), EngineError);
}

} // namespace
} // namespace glyphmere::docengine
