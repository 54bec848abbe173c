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

    const StoryCounts& counts() const { return m_counts; }
    bool changed() const { return m_counts.runs > 0 || m_counts.paragraphMarks > 0; }

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
            change(runProperties, m_counts.runs);
    }

    void touchRun(const Element& run)
    {
        const Element runProperties = xml::findChild(run, Vocabulary::Word, "rPr");
        if (!needsChange(runProperties, m_context.change))
            return;
        change(runProperties.node ? runProperties : prependWordChild(run, "rPr"), m_counts.runs);
    }

    // In a math run, w:rPr follows m:rPr.
    void touchMathRun(const Element& run)
    {
        const Element runProperties = xml::findChild(run, Vocabulary::Word, "rPr");
        if (!needsChange(runProperties, m_context.change))
            return;
        if (runProperties.node)
            return change(runProperties, m_counts.runs);
        const Element mathProperties = xml::findChild(run, Vocabulary::Math, "rPr");
        const auto rank = [](const Element& child) { return child.is(Vocabulary::Math, "rPr") ? 0 : 2; };
        change(insertWordChild(run, "rPr", m_context.wordUri, rank, mathProperties.node ? 1 : -1), m_counts.runs);
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
            return change(markProperties, m_counts.paragraphMarks);
        if (!paragraphProperties.node)
            paragraphProperties = prependWordChild(paragraph, "pPr");
        change(insertWordChild(paragraphProperties, "rPr", m_context.wordUri, paragraphPropertyRank,
                               kParagraphMarkRank),
               m_counts.paragraphMarks);
    }

    Element prependWordChild(const Element& parent, std::string_view local)
    {
        return insertWordChild(parent, local, m_context.wordUri, [](const Element&) { return 1; }, 0);
    }

    void change(const Element& runProperties, int& count)
    {
        applyChange(runProperties, m_context);
        ++count;
    }

    const PassContext& m_context;
    StoryCounts m_counts;
};

std::string_view wordUriOf(const Element& root)
{
    return root.vocabulary == Vocabulary::Word ? root.uri : xml::kWordUri;
}

StoryCounts finish(XmlPart& part, const StoryPass& pass)
{
    if (pass.changed())
        part.markChanged();
    return pass.counts();
}

} // namespace

StoryCounts applyFontToStory(XmlPart& part, const FontChange& change, const RevisionMark* revision)
{
    const Element root = xml::describe(part.root(), xml::NamespaceScope::empty());
    const PassContext context{wordUriOf(root), change, revision};
    StoryPass pass(context);
    xml::walkElements(root, [&pass](const Element& element) { return pass.visit(element); });
    return finish(part, pass);
}

StoryCounts applyFontToTextBoxes(XmlPart& part, const FontChange& change, const RevisionMark* revision)
{
    const Element root = xml::describe(part.root(), xml::NamespaceScope::empty());
    const PassContext context{wordUriOf(root), change, revision};
    StoryPass pass(context);
    // The pass stops at a text box inside a text box; the search goes on into it and finds it too.
    xml::walkElements(root, [&pass](const Element& element) {
        if (element.isWord("txbxContent"))
            xml::walkElements(element, [&pass](const Element& inside) { return pass.visit(inside); });
        return xml::Walk::Descend;
    });
    return finish(part, pass);
}

} // namespace glyphmere::docengine
