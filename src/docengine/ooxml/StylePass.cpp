#include "docengine/ooxml/StylePass.h"

#include "docengine/EngineError.h"
#include "docengine/ooxml/XmlPart.h"

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Vocabulary;

constexpr int kFirst = 0;
constexpr int kLater = 1;

// The child of parent with that local name, created as its first child when missing (w:docDefaults leads
// w:styles, w:rPrDefault leads w:docDefaults, and w:rPr is the only child of w:rPrDefault).
Element leadingChild(const Element& parent, std::string_view local, std::string_view wordUri)
{
    if (Element existing = xml::findChild(parent, Vocabulary::Word, local); existing.node)
        return existing;
    const auto rank = [local](const xml::Name& child) { return child.isWord(local) ? kFirst : kLater; };
    return insertWordChild(parent, local, wordUri, rank, kFirst);
}

class StylesPass {
public:
    StylesPass(std::string_view wordUri, const FontChange& change) : m_context{wordUri, change, nullptr} {}

    int changed() const { return m_changed; }

    void touchDefaults(const Element& styles)
    {
        if (!needsChange(defaultRunProperties(styles), m_context.change))
            return;
        const Element defaults = leadingChild(styles, "docDefaults", m_context.wordUri);
        const Element runDefaults = leadingChild(defaults, "rPrDefault", m_context.wordUri);
        touch(leadingChild(runDefaults, "rPr", m_context.wordUri));
    }

    void touchStyle(const Element& style)
    {
        touch(xml::findChild(style, Vocabulary::Word, "rPr"));
        for (pugi::xml_node child : style.node.children()) {
            const Element condition = xml::describe(child, style.scope);
            if (child.type() == pugi::node_element && condition.isWord("tblStylePr"))
                touch(xml::findChild(condition, Vocabulary::Word, "rPr"));
        }
    }

private:
    static Element defaultRunProperties(const Element& styles)
    {
        const Element defaults = xml::findChild(styles, Vocabulary::Word, "docDefaults");
        const Element runDefaults =
            defaults.node ? xml::findChild(defaults, Vocabulary::Word, "rPrDefault") : Element{};
        return runDefaults.node ? xml::findChild(runDefaults, Vocabulary::Word, "rPr") : Element{};
    }

    // Only properties that exist: a style without them inherits from the defaults, which change anyway.
    void touch(const Element& runProperties)
    {
        if (!runProperties.node || !needsChange(runProperties, m_context.change))
            return;
        applyChange(runProperties, m_context);
        ++m_changed;
    }

    PassContext m_context;
    int m_changed = 0;
};

} // namespace

int applyFontToStyles(XmlPart& styles, const FontChange& change)
{
    const Element& root = styles.rootElement();
    if (!root.isWord("styles"))
        throw EngineError("the part " + styles.name() + " holds no style definitions");
    StylesPass pass(root.uri, change);
    pass.touchDefaults(root);
    for (pugi::xml_node child : root.node.children()) {
        const Element style = xml::describe(child, root.scope);
        if (child.type() == pugi::node_element && style.isWord("style"))
            pass.touchStyle(style);
    }
    if (pass.changed() > 0)
        styles.markChanged();
    return pass.changed();
}

} // namespace glyphmere::docengine
