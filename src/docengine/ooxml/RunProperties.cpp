#include "docengine/ooxml/RunProperties.h"

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>

namespace glyphmere::docengine {
namespace {

using xml::Element;
using xml::Name;
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

constexpr int rankAt(std::size_t index)
{
    return kRunPropertyOrder[index] == "rPrChange" ? kExtensionRank * 2 + 1 : static_cast<int>(index) * 2;
}

constexpr int sequenceRank(std::string_view local)
{
    for (std::size_t i = 0; i < kRunPropertyOrder.size(); ++i) {
        if (kRunPropertyOrder[i] == local)
            return rankAt(i);
    }
    return kExtensionRank * 2; // between oMath and rPrChange
}

// The sequence's names by a hash of their length and first and last letters, for ranking the children of
// every run's properties without comparing their names with each of the sequence's.
class RankTable {
public:
    constexpr RankTable()
    {
        m_entries.fill(kEmpty);
        for (std::size_t i = 0; i < kRunPropertyOrder.size(); ++i) {
            std::size_t slot = hash(kRunPropertyOrder[i]);
            while (m_entries[slot] != kEmpty)
                slot = (slot + 1) % kSlots;
            m_entries[slot] = static_cast<std::uint8_t>(i);
        }
    }

    constexpr int rank(std::string_view local) const
    {
        if (local.empty())
            return kExtensionRank * 2;
        for (std::size_t slot = hash(local); m_entries[slot] != kEmpty; slot = (slot + 1) % kSlots) {
            if (kRunPropertyOrder[m_entries[slot]] == local)
                return rankAt(m_entries[slot]);
        }
        return kExtensionRank * 2;
    }

private:
    static constexpr std::size_t kSlots = 128;
    static constexpr std::uint8_t kEmpty = 0xFF;

    static constexpr std::size_t hash(std::string_view local)
    {
        return (local.size() * 31 + static_cast<unsigned char>(local.front()) * 7 +
                static_cast<unsigned char>(local.back())) %
               kSlots;
    }

    std::array<std::uint8_t, kSlots> m_entries{};
};
constexpr RankTable kRankTable;

int rankInRunProperties(std::string_view local) { return kRankTable.rank(local); }

static_assert(
    [] {
        for (std::size_t i = 0; i < kRunPropertyOrder.size(); ++i) {
            if (kRankTable.rank(kRunPropertyOrder[i]) != rankAt(i))
                return false;
        }
        return kRankTable.rank("glow") == kExtensionRank * 2 && kRankTable.rank("") == kExtensionRank * 2;
    }(),
    "every name of the sequence is found in the table with its rank, and no other name is");

int runPropertyRank(const Name& child)
{
    return child.vocabulary == Vocabulary::Word ? rankInRunProperties(child.local) : kExtensionRank * 2;
}

pugi::xml_attribute appendWordAttribute(const Element& element, std::string_view local, std::string_view wordUri)
{
    return element.node.append_attribute(xml::wordName(element.node, element.scope, wordUri, local).c_str());
}

void setWordAttribute(const Element& element, std::string_view local, const std::string& value,
                      std::string_view wordUri)
{
    pugi::xml_attribute attribute = xml::findAttribute(element, Vocabulary::Word, local);
    if (!attribute)
        attribute = appendWordAttribute(element, local, wordUri);
    attribute.set_value(value.c_str());
}

std::string_view wordValue(const Element& element, std::string_view local)
{
    return xml::findAttribute(element, Vocabulary::Word, local).value();
}

// The children of w:rPr that a change reads or writes.
enum Slot : std::size_t { kFontsSlot, kSizeSlot, kComplexSizeSlot, kChangeSlot, kSlotCount };
constexpr std::array<std::string_view, kSlotCount> kSlotNames{"rFonts", "sz", "szCs", "rPrChange"};
constexpr std::array<int, kSlotCount> kSlotRanks{sequenceRank("rFonts"), sequenceRank("sz"), sequenceRank("szCs"),
                                                 sequenceRank("rPrChange")};

// The children of one w:rPr that a change reads or writes, found in one pass over its children: the first
// of each name, and the child before which a missing one goes (the first that follows it in the sequence).
// Creating a child keeps both up to date, so the children are never searched again.
class PropertyChildren {
public:
    explicit PropertyChildren(const Element& runProperties) : m_parent(runProperties)
    {
        for (pugi::xml_node child = runProperties.node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            const Name name = xml::nameOf(child, runProperties.scope);
            const int rank = runPropertyRank(name);
            for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
                if (!m_existing[slot] && name.isWord(kSlotNames[slot]))
                    m_existing[slot] = child;
                if (!m_follower[slot] && rank > kSlotRanks[slot])
                    m_follower[slot] = child;
            }
        }
    }

    const Element& parent() const { return m_parent; }
    bool has(Slot slot) const { return static_cast<bool>(m_existing[slot]); }
    // Whether obtain created the child: it has no WordprocessingML attributes yet.
    bool created(Slot slot) const { return m_created[slot]; }

    // The child; no node when it is missing.
    Element find(Slot slot) const
    {
        return m_existing[slot] ? xml::describe(m_existing[slot], m_parent.scope) : Element{};
    }

    // The child, created in its place of the sequence when it is missing.
    Element obtain(Slot slot, std::string_view wordUri)
    {
        if (m_existing[slot])
            return xml::describe(m_existing[slot], m_parent.scope);
        const pugi::xml_node follower = m_follower[slot];
        Element created = xml::insertWordElement(m_parent, follower, wordUri, kSlotNames[slot]);
        // The new child now comes first among the followers of the children ranked before it.
        for (std::size_t other = 0; other < kSlotCount; ++other) {
            if (kSlotRanks[other] < kSlotRanks[slot] && m_follower[other] == follower)
                m_follower[other] = created.node;
        }
        m_existing[slot] = created.node;
        m_created[slot] = true;
        return created;
    }

private:
    const Element& m_parent;
    std::array<pugi::xml_node, kSlotCount> m_existing{};
    std::array<pugi::xml_node, kSlotCount> m_follower{};
    std::array<bool, kSlotCount> m_created{};
};

// Keeps the properties as they were inside a new w:rPrChange, as Word does for tracked formatting.
void recordOldProperties(PropertyChildren& children, const PassContext& context)
{
    if (children.has(kChangeSlot))
        return;
    const Element& runProperties = children.parent();
    const Element change = children.obtain(kChangeSlot, context.wordUri);
    setWordAttribute(change, "id", std::to_string(context.revision->newId()), context.wordUri);
    setWordAttribute(change, "author", context.revision->author, context.wordUri);
    setWordAttribute(change, "date", context.revision->date, context.wordUri);
    const Element old = insertWordChild(change, "rPr", context.wordUri, runPropertyRank, 0);
    for (pugi::xml_node child : runProperties.node.children()) {
        if (child == change.node || child.type() != pugi::node_element)
            continue;
        const Name name = xml::nameOf(child, runProperties.scope);
        if (name.vocabulary == Vocabulary::Word && rankInRunProperties(name.local) < kRevisionMarkCount * 2)
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
    static constexpr std::size_t kMaxSlots = 4;

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
    std::size_t size() const { return m_count; }
    const SlotName& operator[](std::size_t index) const { return m_slots[index]; }
    const SlotName* begin() const { return m_slots.data(); }
    const SlotName* end() const { return m_slots.data() + m_count; }

private:
    void add(FontSlot slot, const std::string& name) { m_slots[m_count++] = {slot, &name}; }

    std::array<SlotName, kMaxSlots> m_slots{};
    std::size_t m_count = 0;
};

// The attributes of one w:rFonts that the slots read or write, found in one pass over its attributes.
class FontAttributes {
public:
    FontAttributes(const Element& fonts, const FontSlots& slots)
    {
        for (pugi::xml_attribute attribute = fonts.node.first_attribute(); attribute;
             attribute = attribute.next_attribute()) {
            const auto [prefix, local] = xml::splitQualifiedName(attribute.name());
            if (prefix.empty())
                continue; // WordprocessingML attributes are always prefixed
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const FontSlot& slot = slots[i].first;
                pugi::xml_attribute* found = local == slot.name    ? &m_names[i]
                                             : local == slot.theme ? &m_themes[i]
                                                                   : nullptr;
                if (found && !*found && isWordPrefix(fonts, prefix))
                    *found = attribute;
            }
        }
    }

    pugi::xml_attribute name(std::size_t slot) const { return m_names[slot]; }
    pugi::xml_attribute theme(std::size_t slot) const { return m_themes[slot]; }

private:
    static bool isWordPrefix(const Element& element, std::string_view prefix)
    {
        const xml::NamespaceScope::Binding* binding = element.scope->find(prefix);
        return binding && binding->vocabulary == Vocabulary::Word;
    }

    std::array<pugi::xml_attribute, FontSlots::kMaxSlots> m_names{};
    std::array<pugi::xml_attribute, FontSlots::kMaxSlots> m_themes{};
};

bool lacksFonts(const PropertyChildren& children, const FontSlots& slots)
{
    const Element fonts = children.find(kFontsSlot);
    if (!fonts.node)
        return true;
    const FontAttributes attributes(fonts, slots);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (attributes.name(i).value() != *slots[i].second || attributes.theme(i))
            return true;
    }
    return false;
}

bool lacksSize(const PropertyChildren& children, int halfPoints)
{
    const std::string wanted = std::to_string(halfPoints);
    for (const Slot slot : {kSizeSlot, kComplexSizeSlot}) {
        const Element size = children.find(slot);
        if (!size.node || wordValue(size, "val") != wanted)
            return true;
    }
    return false;
}

bool lacks(const PropertyChildren& children, const FontChange& change)
{
    const FontSlots slots(change);
    return (!slots.empty() && lacksFonts(children, slots)) ||
           (change.halfPoints && lacksSize(children, *change.halfPoints));
}

void setFonts(PropertyChildren& children, const FontSlots& slots, std::string_view wordUri)
{
    const Element fonts = children.obtain(kFontsSlot, wordUri);
    const FontAttributes attributes(fonts, slots);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto& [slot, name] = slots[i];
        pugi::xml_attribute plain = attributes.name(i);
        if (!plain)
            plain = appendWordAttribute(fonts, slot.name, wordUri);
        plain.set_value(name->c_str());
        if (const pugi::xml_attribute theme = attributes.theme(i))
            fonts.node.remove_attribute(theme); // a theme font beats the plain name in the same element
    }
}

void apply(PropertyChildren& children, const PassContext& context)
{
    if (context.revision)
        recordOldProperties(children, context);
    const FontSlots slots(context.change);
    if (!slots.empty())
        setFonts(children, slots, context.wordUri);
    if (context.change.halfPoints) {
        const std::string value = std::to_string(*context.change.halfPoints);
        for (const Slot slot : {kSizeSlot, kComplexSizeSlot}) {
            const Element size = children.obtain(slot, context.wordUri);
            if (children.created(slot))
                appendWordAttribute(size, "val", context.wordUri).set_value(value.c_str());
            else
                setWordAttribute(size, "val", value, context.wordUri);
        }
    }
}

} // namespace

Element insertWordChild(const Element& parent, std::string_view local, std::string_view wordUri,
                        const std::function<int(const Name&)>& rankOf, int newRank)
{
    pugi::xml_node follower;
    for (pugi::xml_node child : parent.node.children()) {
        if (child.type() == pugi::node_element && rankOf(xml::nameOf(child, parent.scope)) > newRank) {
            follower = child;
            break;
        }
    }
    return xml::insertWordElement(parent, follower, wordUri, local);
}

bool needsChange(const Element& runProperties, const FontChange& change)
{
    if (FontSlots(change).empty() && !change.halfPoints)
        return false;
    return !runProperties.node || lacks(PropertyChildren(runProperties), change);
}

void applyChange(const Element& runProperties, const PassContext& context)
{
    PropertyChildren children(runProperties);
    apply(children, context);
}

bool applyChangeIfNeeded(const Element& runProperties, const PassContext& context)
{
    PropertyChildren children(runProperties);
    if (!lacks(children, context.change))
        return false;
    apply(children, context);
    return true;
}

} // namespace glyphmere::docengine
