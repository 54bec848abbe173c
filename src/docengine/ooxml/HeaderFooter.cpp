#include "docengine/ooxml/HeaderFooter.h"

#include "docengine/ooxml/DocumentSettings.h"
#include "docengine/ooxml/WordprocessingDocument.h"
#include "docengine/ooxml/XmlNames.h"

#include <charconv>
#include <string_view>

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Vocabulary;

// The first section's properties: the first w:sectPr in document order (a paragraph's, or the body's
// last one when the document has a single section), outside text boxes.
Element firstSectionProperties(const Element& documentRoot)
{
    return xml::findFirstDescendant(documentRoot, Vocabulary::Word, "sectPr", "txbxContent");
}

bool startsOnEvenPage(const Element& section)
{
    const Element numbering = xml::findChild(section, Vocabulary::Word, "pgNumType");
    const std::string_view start = xml::findAttribute(numbering, Vocabulary::Word, "start").value();
    long number = 1; // numbering that is not restarted begins at 1 in the first section
    std::from_chars(start.data(), start.data() + start.size(), number);
    return number % 2 == 0;
}

std::string_view referenceTypeFor(const Element& section, const XmlPart* settings)
{
    if (xml::isOn(xml::findChild(section, Vocabulary::Word, "titlePg")))
        return "first";
    if (usesEvenAndOddHeaders(settings) && startsOnEvenPage(section))
        return "even";
    return "default";
}

std::optional<std::string> referencedEntry(WordprocessingDocument& document, const Element& section,
                                           std::string_view wanted, PageRegion region)
{
    const std::string_view referenceName = region == PageRegion::Header ? "headerReference" : "footerReference";
    for (pugi::xml_node child : section.node.children()) {
        const Element reference = xml::describe(child, section.scope);
        if (!reference.isWord(referenceName))
            continue;
        const std::string_view type = xml::findAttribute(reference, Vocabulary::Word, "type").value();
        if ((type.empty() ? std::string_view("default") : type) != wanted)
            continue;
        const std::string_view id = xml::findAttribute(reference, Vocabulary::Relationships, "id").value();
        const auto relationship = findById(document.mainRelationships(), id);
        return relationship ? document.findEntry(relationship->targetEntry) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> currentPageEntry(WordprocessingDocument& document, PageRegion region)
{
    const CurrentPageEntries entries = currentPageEntries(document);
    return region == PageRegion::Header ? entries.header : entries.footer;
}

CurrentPageEntries currentPageEntries(WordprocessingDocument& document)
{
    const Element section = firstSectionProperties(document.mainPart().rootElement());
    if (!section.node)
        return {};
    const std::string_view wanted = referenceTypeFor(section, document.settings());
    return {referencedEntry(document, section, wanted, PageRegion::Header),
            referencedEntry(document, section, wanted, PageRegion::Footer)};
}

} // namespace glyphmere::docengine
