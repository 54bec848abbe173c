#include "docengine/ooxml/RunProperties.h"

#include <array>
#include <climits>
#include <string>
#include <utility>

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Vocabulary;

// The sequence of CT_RPr, with the revision marks of a paragraph mark's properties (CT_ParaRPr) before it.
// Children of other vocabularies (extensions) sort just before w:rPrChange, which stays last.
constexpr std::array<std::string_view, 44> kRunPropertyOrder{
    "ins",
    "del",
    "moveFrom",
    "moveTo",
    "rStyle",
    "rFonts",
    "b",
    "bCs",
    "i",
    "iCs",
    "caps",
    "smallCaps",
    "strike",
    "dstrike",
    "outline",
    "shadow",
    "emboss",
    "imprint",
    "noProof",
    "snapToGrid",
    "vanish",
    "webHidden",
    "color",
    "spacing",
    "w",
    "kern",
    "position",
    "sz",
    "szCs",
    "highlight",
    "u",
    "effect",
    "bdr",
    "shd",
    "fitText",
    "vertAlign",
    "rtl",
    "cs",
    "em",
    "lang",
    "eastAsianLayout",
    "specVanish",
    "oMath",
    "rPrChange",
};
constexpr int kExtensionRank = static_cast<int>(kRunPropertyOrder.size()) - 1;
constexpr int kRevisionMarkCount = 4;

int rankInRunProperties(std::string_view local)
{
    for (std::size_t i = 0; i < kRunPropertyOrder.size(); ++i) {
        if (kRunPropertyOrder[i] == local)
            return local == "rPrChange" ? kExtensionRank * 2 + 1 : static_cast<int>(i) * 2;
    }
    return kExtensionRank * 2; // between oMath and rPrChange
}

int runPropertyRank(const Element& child)
{
    return child.vocabulary == Vocabulary::Word ? rankInRunProperties(child.local) : kExtensionRank * 2;
}

Element runPropertyChild(const Element& runProperties, std::string_view local, std::string_view wordUri)
{
    if (Element existing = xml::findChild(runProperties, Vocabulary::Word, local); existing.node)
        return existing;
    return insertWordChild(runProperties, local, wordUri, runPropertyRank, rankInRunProperties(local));
}

void setWordAttribute(const Element& element, std::string_view local, const std::string& value,
                      std::string_view wordUri)
{
    pugi::xml_attribute attribute = xml::findAttribute(element, Vocabulary::Word, local);
    if (!attribute)
        attribute = element.node.append_attribute(xml::wordName(element.node, element.scope, wordUri, local).c_str());
    attribute.set_value(value.c_str());
}

void removeWordAttribute(const Element& element, std::string_view local)
{
    if (pugi::xml_attribute attribute = xml::findAttribute(element, Vocabulary::Word, local))
        element.node.remove_attribute(attribute);
}

std::string_view wordValue(const Element& element, std::string_view local)
{
    return xml::findAttribute(element, Vocabulary::Word, local).value();
}

bool hasWordAttribute(const Element& element, std::string_view local)
{
    return static_cast<bool>(xml::findAttribute(element, Vocabulary::Word, local));
}

// Keeps the properties as they were inside a new w:rPrChange, as Word does for tracked formatting.
void recordOldProperties(const Element& runProperties, const PassContext& context)
{
    if (xml::findChild(runProperties, Vocabulary::Word, "rPrChange").node)
        return;
    const Element change = runPropertyChild(runProperties, "rPrChange", context.wordUri);
    setWordAttribute(change, "id", std::to_string(context.revision->newId()), context.wordUri);
    setWordAttribute(change, "author", context.revision->author, context.wordUri);
    setWordAttribute(change, "date", context.revision->date, context.wordUri);
    const Element old = insertWordChild(change, "rPr", context.wordUri, runPropertyRank, 0);
    for (pugi::xml_node child : runProperties.node.children()) {
        if (child == change.node || child.type() != pugi::node_element)
            continue;
        const Element described = xml::describe(child, runProperties.scope);
        if (described.vocabulary == Vocabulary::Word && rankInRunProperties(described.local) < kRevisionMarkCount * 2)
            continue; // a paragraph mark's own insertion or deletion is no formatting
        old.node.append_copy(child);
    }
}

// One font slot of w:rFonts: the attribute with the plain name and the one with a theme font.
struct FontSlot {
    std::string_view name;
    std::string_view theme;
};
constexpr FontSlot kAsciiSlot{"ascii", "asciiTheme"};
constexpr FontSlot kHighAnsiSlot{"hAnsi", "hAnsiTheme"};
constexpr FontSlot kEastAsianSlot{"eastAsia", "eastAsiaTheme"};
constexpr FontSlot kComplexScriptSlot{"cs", "cstheme"};

using SlotName = std::pair<FontSlot, const std::string*>;

// The slots that the change sets, each with the name it gets. Held in place (there are at most four), as
// every run asks for them twice.
class FontSlots {
public:
    explicit FontSlots(const FontChange& change)
    {
        if (change.name) {
            add(kAsciiSlot, *change.name);
            add(kHighAnsiSlot, *change.name);
        }
        if (change.eastAsianName)
            add(kEastAsianSlot, *change.eastAsianName);
        if (change.complexScriptName)
            add(kComplexScriptSlot, *change.complexScriptName);
    }

    bool empty() const { return m_count == 0; }
    const SlotName* begin() const { return m_slots.data(); }
    const SlotName* end() const { return m_slots.data() + m_count; }

private:
    void add(FontSlot slot, const std::string& name) { m_slots[m_count++] = {slot, &name}; }

    std::array<SlotName, 4> m_slots{};
    std::size_t m_count = 0;
};

} // namespace

Element insertWordChild(const Element& parent, std::string_view local, std::string_view wordUri,
                        const std::function<int(const Element&)>& rankOf, int newRank)
{
    pugi::xml_node follower;
    for (pugi::xml_node child : parent.node.children()) {
        if (child.type() == pugi::node_element && rankOf(xml::describe(child, parent.scope)) > newRank) {
            follower = child;
            break;
        }
    }
    pugi::xml_node created = follower ? parent.node.insert_child_before(pugi::node_element, follower)
                                      : parent.node.append_child(pugi::node_element);
    created.set_name(xml::wordName(created, parent.scope, wordUri, local).c_str());
    return xml::describe(created, parent.scope);
}

bool needsChange(const Element& runProperties, const FontChange& change)
{
    const FontSlots slots(change);
    if (slots.empty() && !change.halfPoints)
        return false;
    if (!runProperties.node)
        return true;
    if (!slots.empty()) {
        const Element fonts = xml::findChild(runProperties, Vocabulary::Word, "rFonts");
        for (const auto& [slot, name] : slots) {
            if (!fonts.node || wordValue(fonts, slot.name) != *name || hasWordAttribute(fonts, slot.theme))
                return true;
        }
    }
    if (change.halfPoints) {
        const std::string wanted = std::to_string(*change.halfPoints);
        for (std::string_view local : {"sz", "szCs"}) {
            const Element size = xml::findChild(runProperties, Vocabulary::Word, local);
            if (!size.node || wordValue(size, "val") != wanted)
                return true;
        }
    }
    return false;
}

void applyChange(const Element& runProperties, const PassContext& context)
{
    if (context.revision)
        recordOldProperties(runProperties, context);
    const FontSlots slots(context.change);
    if (!slots.empty()) {
        const Element fonts = runPropertyChild(runProperties, "rFonts", context.wordUri);
        for (const auto& [slot, name] : slots) {
            setWordAttribute(fonts, slot.name, *name, context.wordUri);
            removeWordAttribute(fonts, slot.theme); // a theme font beats the plain name in the same element
        }
    }
    if (context.change.halfPoints) {
        const std::string value = std::to_string(*context.change.halfPoints);
        for (std::string_view local : {"sz", "szCs"})
            setWordAttribute(runPropertyChild(runProperties, local, context.wordUri), "val", value, context.wordUri);
    }
}

} // namespace glyphmere::docengine
