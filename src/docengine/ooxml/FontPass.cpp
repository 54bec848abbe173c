#include "docengine/ooxml/FontPass.h"

#include "docengine/ooxml/XmlPart.h"

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Vocabulary;
using xml::Walk;

// Children of w:pPr that follow the paragraph mark's w:rPr in the schema.
int paragraphPropertyRank(const xml::Name& child)
{
    if (child.isWord("sectPr"))
        return 2;
    if (child.isWord("pPrChange"))
        return 3;
    return 0;
}

constexpr int kParagraphMarkRank = 1;

Element prependWordChild(const Element& parent, std::string_view local, std::string_view wordUri)
{
    pugi::xml_node first = parent.node.first_child();
    while (first && first.type() != pugi::node_element)
        first = first.next_sibling();
    return xml::insertWordElement(parent, first, wordUri, local);
}

std::string_view wordUriOf(const Element& root)
{
    return root.vocabulary == Vocabulary::Word ? root.uri : xml::kWordUri;
}

} // namespace

// Walks a story and notes its targets in document order.
class StoryTargets::Collector {
public:
    explicit Collector(std::vector<Target>& targets) : m_targets(targets) {}

    Walk visit(const Element& element)
    {
        if (element.vocabulary == Vocabulary::Word)
            return visitWord(element);
        if (element.is(Vocabulary::Math, "r"))
            add(Owner::MathRun, element);
        return Walk::Descend;
    }

private:
    Walk visitWord(const Element& element)
    {
        const std::string_view name = element.local;
        // A text box is a story of its own; properties are reached from their owners, never walked into
        // (that keeps w:rPrChange and w:pPrChange untouched).
        if (name == "txbxContent" || name == "rPr" || name == "pPr" || name == "sectPr" || name == "rPrChange" ||
            name == "pPrChange")
            return Walk::Skip;
        if (name == "sdtPr" || name == "sdtEndPr") {
            if (Element properties = xml::findChild(element, Vocabulary::Word, "rPr"); properties.node)
                m_targets.push_back({Owner::ContentControl, element, std::move(properties)});
            return Walk::Skip;
        }
        if (name == "r")
            add(Owner::Run, element);
        else if (name == "p")
            addParagraphMark(element);
        return Walk::Descend;
    }

    void add(Owner owner, const Element& run)
    {
        m_targets.push_back({owner, run, xml::findChild(run, Vocabulary::Word, "rPr")});
    }

    void addParagraphMark(const Element& paragraph)
    {
        const Element paragraphProperties = xml::findChild(paragraph, Vocabulary::Word, "pPr");
        m_targets.push_back(
            {Owner::Paragraph, paragraph,
             paragraphProperties.node ? xml::findChild(paragraphProperties, Vocabulary::Word, "rPr") : Element{}});
    }

    std::vector<Target>& m_targets;
};

StoryTargets::StoryTargets(XmlPart& part) : m_part(&part), m_root(part.rootElement()) {}

StoryTargets StoryTargets::ofStory(XmlPart& part)
{
    StoryTargets story(part);
    Collector collector(story.m_targets);
    xml::walkElements(story.m_root, [&collector](const Element& element) { return collector.visit(element); });
    return story;
}

StoryTargets StoryTargets::ofTextBoxes(XmlPart& part)
{
    StoryTargets story(part);
    Collector collector(story.m_targets);
    // The collector stops at a text box inside a text box; the search goes on into it and finds it too.
    xml::walkElements(story.m_root, [&collector](const Element& element) {
        if (element.isWord("txbxContent"))
            xml::walkElements(element, [&collector](const Element& inside) { return collector.visit(inside); });
        return Walk::Descend;
    });
    return story;
}

StoryCounts StoryTargets::apply(const FontChange& change, const RevisionMark* revision)
{
    StoryCounts counts;
    const PassContext context{wordUriOf(m_root), change, revision};
    for (Target& target : m_targets) {
        if (!changeTarget(target, context))
            continue;
        ++(target.owner == Owner::Paragraph ? counts.paragraphMarks : counts.runs);
    }
    if (counts.runs > 0 || counts.paragraphMarks > 0)
        m_part->markChanged();
    return counts;
}

bool StoryTargets::changeTarget(Target& target, const PassContext& context) const
{
    if (target.properties.node)
        return applyChangeIfNeeded(target.properties, context);
    if (!needsChange(target.properties, context.change))
        return false;
    target.properties = createProperties(target);
    applyChange(target.properties, context);
    return true;
}

// The missing run properties of target, placed where the schema wants them.
Element StoryTargets::createProperties(const Target& target) const
{
    const std::string_view wordUri = wordUriOf(m_root);
    switch (target.owner) {
    case Owner::ContentControl:
        break; // collected only with its properties
    case Owner::Run:
        return prependWordChild(target.element, "rPr", wordUri);
    case Owner::MathRun: {
        // In a math run, w:rPr follows m:rPr.
        const Element mathProperties = xml::findChild(target.element, Vocabulary::Math, "rPr");
        const auto rank = [](const xml::Name& child) { return child.is(Vocabulary::Math, "rPr") ? 0 : 2; };
        return insertWordChild(target.element, "rPr", wordUri, rank, mathProperties.node ? 1 : -1);
    }
    case Owner::Paragraph: {
        Element paragraphProperties = xml::findChild(target.element, Vocabulary::Word, "pPr");
        if (!paragraphProperties.node)
            paragraphProperties = prependWordChild(target.element, "pPr", wordUri);
        return insertWordChild(paragraphProperties, "rPr", wordUri, paragraphPropertyRank, kParagraphMarkRank);
    }
    }
    return target.properties;
}

StoryCounts applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision)
{
    return StoryTargets::ofStory(part).apply(change, revision);
}

StoryCounts applyFontToTextBoxes(XmlPart& part, const FontChange& change, const RevisionMark* revision)
{
    return StoryTargets::ofTextBoxes(part).apply(change, revision);
}

} // namespace glyphmere::docengine
