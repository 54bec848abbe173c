#include "docengine/ooxml/FontPass.h"
#include "docengine/ooxml/XmlNames.h"
#include "docengine/ooxml/XmlPart.h"

#include <gtest/gtest.h>

#include <string>

namespace glyphmere::docengine {
namespace {

#define WORD_URI "http://schemas.openxmlformats.org/wordprocessingml/2006/main"

struct SearchCase {
    const char* description;
    const char* body;    // inside <w:document xmlns:w=WORD_URI><w:body>
    const char* foundId; // the id attribute of the section found; "" for none
};

const SearchCase kSearchCases[] = {
    {"the body's own section", R"(<w:p/><w:sectPr id="body"/>)", "body"},
    {"a paragraph's section comes first", R"(<w:p><w:pPr><w:sectPr id="para"/></w:pPr></w:p><w:sectPr id="body"/>)",
     "para"},
    {"text boxes are not searched",
     R"(<w:p><w:r><w:pict><w:txbxContent><w:p><w:pPr><w:sectPr id="box"/></w:pPr></w:p></w:txbxContent></w:pict></w:r></w:p><w:sectPr id="body"/>)",
     "body"},
    {"a text box of another vocabulary is searched",
     R"(<w:p><o:txbxContent xmlns:o="urn:other"><w:sectPr id="inside"/></o:txbxContent></w:p><w:sectPr id="body"/>)",
     "inside"},
    {"the prefix bound elsewhere on an inner element",
     R"(<w:p xmlns:w="urn:other"><w:sectPr id="foreign"/></w:p><w:sectPr id="body"/>)", "body"},
    {"another prefix bound to the vocabulary below the root",
     R"(<x:p xmlns:x=")" WORD_URI R"("><x:pPr><x:sectPr id="inner"/></x:pPr></x:p><w:sectPr id="body"/>)", "inner"},
    {"a declaration on the section itself", R"(<q:sectPr xmlns:q=")" WORD_URI R"(" id="own"/>)", "own"},
    {"the default namespace re-declared",
     R"(<sectPr id="unbound"/><w:p xmlns=")" WORD_URI R"("><sectPr id="default"/></w:p>)", "default"},
    {"no section", "<w:p/>", ""},
};

TEST(NamespaceScope, FirstDescendant_ResolvesEachCandidateInItsOwnScope)
{
    for (const SearchCase& row : kSearchCases) {
        XmlPart part("word/document.xml", std::string(R"(<w:document xmlns:w=")" WORD_URI R"("><w:body>)") + row.body +
                                              "</w:body></w:document>");
        const xml::Element& root = part.rootElement();
        const xml::Element found = xml::findFirstDescendant(root, xml::Vocabulary::Word, "sectPr", "txbxContent");
        EXPECT_STREQ(found.node.attribute("id").value(), row.foundId) << row.description;
    }
}

TEST(NamespaceScope, PrefixRedeclaredBelowTheRoot_ChangesOnlyWordRuns)
{
    XmlPart part("word/document.xml",
                 R"(<w:document xmlns:w=")" WORD_URI R"("><w:body>)"
                 R"(<w:p xmlns:w="urn:other"><w:r/><v:p xmlns:v=")" WORD_URI R"("><v:r/></v:p></w:p>)"
                 R"(<w:p><w:r/></w:p></w:body></w:document>)");
    applyFontToStory(part, FontChange{std::nullopt, 22}, nullptr);
    EXPECT_EQ(
        part.serialize(),
        R"(<w:document xmlns:w=")" WORD_URI R"("><w:body>)"
        R"(<w:p xmlns:w="urn:other"><w:r/><v:p xmlns:v=")" WORD_URI R"("><v:pPr><v:rPr><v:sz v:val="22"/>)"
        R"(<v:szCs v:val="22"/></v:rPr></v:pPr><v:r><v:rPr><v:sz v:val="22"/><v:szCs v:val="22"/></v:rPr></v:r></v:p></w:p>)"
        R"(<w:p><w:pPr><w:rPr><w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:pPr>)"
        R"(<w:r><w:rPr><w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:r></w:p></w:body></w:document>)");
}

TEST(NamespaceScope, SeveralPrefixesForTheVocabulary_NewNamesTakeTheFirstInOrder)
{
    // Whatever order the declarations come in, and whatever other vocabularies are bound around them.
    for (const char* declarations : {R"(xmlns:z=")" WORD_URI R"(" xmlns:o="urn:o" xmlns:b=")" WORD_URI R"(")",
                                     R"(xmlns:b=")" WORD_URI R"(" xmlns:o="urn:o" xmlns:z=")" WORD_URI R"(")"}) {
        XmlPart part("word/document.xml",
                     std::string("<z:document ") + declarations + "><z:body><z:p/></z:body></z:document>");
        applyFontToStory(part, FontChange{std::nullopt, 22}, nullptr);
        EXPECT_NE(part.serialize().find(R"(<z:p><b:pPr><b:rPr><b:sz b:val="22"/>)"), std::string::npos) << declarations;
    }
}

} // namespace
} // namespace glyphmere::docengine
