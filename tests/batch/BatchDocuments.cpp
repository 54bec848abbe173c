#include "BatchDocuments.h"

#include <pugixml.hpp>

namespace glyphmere::batch::testing {

void writeDocument(const std::string& path, int paragraphs)
{
    std::string body;
    for (int i = 0; i < paragraphs; ++i)
        body += "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Paragraph " + std::to_string(i) + "</w:t></w:r></w:p>";
    testing_support::writePackage(path, testing_support::minimalDocx(body));
}

bool isRestyledWith(const std::string& path, const std::string& fontName)
{
    for (const auto& [name, bytes] : testing_support::readPackage(path)) {
        if (name != "word/document.xml")
            continue;
        pugi::xml_document document;
        if (!document.load_string(bytes.c_str()))
            return false;
        const std::string fonts = "w:rPr/w:rFonts[@w:ascii='" + fontName + "']";
        const std::string query = "//w:r[not(" + fonts + ")] | //w:p[not(w:pPr/" + fonts + ")]";
        return document.select_nodes("//w:r").size() > 0 && document.select_nodes(query.c_str()).empty();
    }
    return false;
}

} // namespace glyphmere::batch::testing
