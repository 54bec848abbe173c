#include "docengine/FontPass.h"

#include "docengine/XmlPart.h"

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Vocabulary;
using xml::Walk;

// Children of w:pPr that follow the paragraph mark's w:rPr in the schema.
int paragraphPropertyRank(const Element& child)
{
    if (child.isWord("sectPr"))
        return 2;
    if (child.isWord("pPrChange"))
        return 3;
    return 0;
}

constexpr int kParagraphMarkRank = 1;

class StoryPass {
public:
    explicit StoryPass(const PassContext& context) : m_context(context) {}

    bool changed() const { return m_changed; }

    Walk visit(const Element& element)
    {
        if (element.vocabulary == Vocabulary::Word)
            return visitWord(element);
        if (element.is(Vocabulary::Math, "r"))
            touchMathRun(element);
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
            touchExisting(xml::findChild(element, Vocabulary::Word, "rPr"));
            return Walk::Skip;
        }
        if (name == "r")
            touchRun(element);
        else if (name == "p")
            touchParagraphMark(element);
        return Walk::Descend;
    }

    void touchExisting(const Element& runProperties)
    {
        if (runProperties.node && needsChange(runProperties, m_context.change))
            change(runProperties);
    }

    void touchRun(const Element& run)
    {
        const Element runProperties = xml::findChild(run, Vocabulary::Word, "rPr");
        if (!needsChange(runProperties, m_context.change))
            return;
        change(runProperties.node ? runProperties : prependWordChild(run, "rPr"));
    }

    // In a math run, w:rPr follows m:rPr.
    void touchMathRun(const Element& run)
    {
        const Element runProperties = xml::findChild(run, Vocabulary::Word, "rPr");
        if (!needsChange(runProperties, m_context.change))
            return;
        if (runProperties.node)
            return change(runProperties);
        const Element mathProperties = xml::findChild(run, Vocabulary::Math, "rPr");
        const auto rank = [](const Element& child) { return child.is(Vocabulary::Math, "rPr") ? 0 : 2; };
        change(insertWordChild(run, "rPr", m_context.wordUri, rank, mathProperties.node ? 1 : -1));
    }

    void touchParagraphMark(const Element& paragraph)
    {
        Element paragraphProperties = xml::findChild(paragraph, Vocabulary::Word, "pPr");
        const Element markProperties = paragraphProperties.node
                                           ? xml::findChild(paragraphProperties, Vocabulary::Word, "rPr")
                                           : Element{};
        if (!needsChange(markProperties, m_context.change))
            return;
        if (markProperties.node)
            return change(markProperties);
        if (!paragraphProperties.node)
            paragraphProperties = prependWordChild(paragraph, "pPr");
        change(insertWordChild(paragraphProperties, "rPr", m_context.wordUri, paragraphPropertyRank,
                               kParagraphMarkRank));
    }

    Element prependWordChild(const Element& parent, std::string_view local)
    {
        return insertWordChild(parent, local, m_context.wordUri, [](const Element&) { return 1; }, 0);
    }

    void change(const Element& runProperties)
    {
        applyChange(runProperties, m_context);
        m_changed = true;
    }

    const PassContext& m_context;
    bool m_changed = false;
};

} // namespace

void applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision)
{
    const Element root = xml::describe(part.root(), xml::NamespaceScope::empty());
    const std::string_view wordUri = root.vocabulary == Vocabulary::Word ? root.uri : xml::kWordUri;
    const PassContext context{wordUri, change, revision};
    StoryPass pass(context);
    xml::walkElements(root, [&pass](const Element& element) { return pass.visit(element); });
    if (pass.changed())
        part.markChanged();
}

} // namespace glyphmere::docengine
