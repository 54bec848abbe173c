#include "docengine/ooxml/XmlNames.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace glyphmere::docengine::xml {
namespace {

constexpr std::string_view kXmlnsPrefix = "xmlns:";
// Declared only when a part binds no prefix to WordprocessingML at the place of a new name.
constexpr std::string_view kOwnWordPrefix = "gw";

bool isDeclaration(const char* attributeName)
{
    return attributeName[0] == 'x' && std::strncmp(attributeName, "xmlns", 5) == 0 &&
           (attributeName[5] == '\0' || attributeName[5] == ':');
}

bool declaresNamespaces(pugi::xml_node element)
{
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        if (isDeclaration(attribute.name()))
            return true;
    }
    return false;
}

bool isEngineVocabulary(const NamespaceScope::Binding& binding) { return binding.vocabulary != Vocabulary::Other; }

// WordprocessingML first, as most names are; other vocabularies last.
int lookupOrder(const NamespaceScope::Binding& binding)
{
    switch (binding.vocabulary) {
    case Vocabulary::Word:
        return 0;
    case Vocabulary::Math:
    case Vocabulary::Relationships:
        return 1;
    case Vocabulary::Other:
        break;
    }
    return 2;
}

// One level of a search: the next child to look at, and the element it belongs to with the scope inside
// that element, resolved only once a name below needs it.
struct SearchFrame {
    pugi::xml_node next;
    pugi::xml_node parent;
    ScopeRef scope;
};

// The scope inside the innermost frame. Frames not resolved yet are resolved from the nearest one that is
// (the outermost always is); each frame is resolved at most once, so a whole search stays linear.
const ScopeRef& innermostScope(std::vector<SearchFrame>& frames)
{
    std::size_t resolved = frames.size() - 1;
    while (!frames[resolved].scope)
        --resolved;
    for (std::size_t i = resolved + 1; i < frames.size(); ++i)
        frames[i].scope = NamespaceScope::enter(frames[i - 1].scope, frames[i].parent);
    return frames.back().scope;
}

} // namespace

// Prefix and local name, found in one pass over the markup's own string (names are short, and this runs
// for nearly every name a pass looks at).
std::pair<std::string_view, std::string_view> splitQualifiedName(const char* name)
{
    const char* colon = nullptr;
    const char* end = name;
    for (; *end; ++end) {
        if (*end == ':' && !colon)
            colon = end;
    }
    if (!colon)
        return {std::string_view(), std::string_view(name, static_cast<std::size_t>(end - name))};
    return {std::string_view(name, static_cast<std::size_t>(colon - name)),
            std::string_view(colon + 1, static_cast<std::size_t>(end - colon - 1))};
}

Vocabulary vocabularyOf(std::string_view uri)
{
    if (uri == kWordUri || uri == kWordStrictUri)
        return Vocabulary::Word;
    if (uri == kMathUri || uri == kMathStrictUri)
        return Vocabulary::Math;
    if (uri == kRelationshipsUri || uri == kRelationshipsStrictUri)
        return Vocabulary::Relationships;
    return Vocabulary::Other;
}

ScopeRef NamespaceScope::empty()
{
    static const ScopeRef scope = std::make_shared<const NamespaceScope>();
    return scope;
}

ScopeRef NamespaceScope::enter(const ScopeRef& outer, pugi::xml_node element)
{
    if (!declaresNamespaces(element))
        return outer;
    auto inner = std::make_shared<NamespaceScope>(*outer);
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const std::string_view name = attribute.name();
        if (isDeclaration(name.data()))
            inner->bind(name.substr(std::min(name.size(), kXmlnsPrefix.size())), attribute.value());
    }
    std::stable_sort(inner->m_bindings.begin(), inner->m_bindings.end(),
                     [](const Binding& a, const Binding& b) { return lookupOrder(a) < lookupOrder(b); });
    inner->m_wordPrefix = inner->findPrefixOf(Vocabulary::Word);
    return inner;
}

void NamespaceScope::bind(std::string_view prefix, std::string_view uri)
{
    const auto same = [prefix](const Binding& binding) { return binding.prefix == prefix; };
    const auto existing = std::find_if(m_bindings.begin(), m_bindings.end(), same);
    if (existing == m_bindings.end())
        m_bindings.push_back({std::string(prefix), std::string(uri), vocabularyOf(uri)});
    else
        *existing = {std::string(prefix), std::string(uri), vocabularyOf(uri)};
}

const NamespaceScope::Binding* NamespaceScope::find(std::string_view prefix) const
{
    for (const Binding& binding : m_bindings) {
        if (binding.prefix == prefix)
            return &binding;
    }
    return nullptr;
}

std::string_view NamespaceScope::uriOf(std::string_view prefix) const
{
    const Binding* binding = find(prefix);
    return binding ? std::string_view(binding->uri) : std::string_view();
}

const std::string* NamespaceScope::prefixOf(Vocabulary vocabulary) const
{
    return vocabulary == Vocabulary::Word ? m_wordPrefix : findPrefixOf(vocabulary);
}

const std::string* NamespaceScope::findPrefixOf(Vocabulary vocabulary) const
{
    // The alphabetically first such prefix, so that the choice does not depend on the declarations' order.
    const std::string* first = nullptr;
    for (const Binding& binding : m_bindings) {
        if (vocabulary != Vocabulary::Other && !isEngineVocabulary(binding))
            break; // the engine's vocabularies come first
        if (!binding.prefix.empty() && binding.vocabulary == vocabulary && (!first || binding.prefix < *first))
            first = &binding.prefix;
    }
    return first;
}

Element describe(pugi::xml_node node, const ScopeRef& parentScope)
{
    Element element;
    element.node = node;
    element.scope = NamespaceScope::enter(parentScope, node);
    const auto [prefix, local] = splitQualifiedName(node.name());
    element.local = local;
    if (const NamespaceScope::Binding* binding = element.scope->find(prefix)) {
        element.uri = binding->uri;
        element.vocabulary = binding->vocabulary;
    }
    return element;
}

Name nameOf(pugi::xml_node child, const ScopeRef& parentScope)
{
    const auto [prefix, local] = splitQualifiedName(child.name());
    const ScopeRef ownScope = declaresNamespaces(child) ? NamespaceScope::enter(parentScope, child) : nullptr;
    const NamespaceScope::Binding* binding = (ownScope ? *ownScope : *parentScope).find(prefix);
    return {binding ? binding->vocabulary : Vocabulary::Other, local};
}

void walkElements(const Element& root, const std::function<Walk(const Element&)>& visit)
{
    // Each frame is the next child to look at, in the scope of its parent.
    std::vector<std::pair<pugi::xml_node, ScopeRef>> stack;
    stack.emplace_back(root.node.first_child(), root.scope);
    while (!stack.empty()) {
        auto& [node, scope] = stack.back();
        if (!node) {
            stack.pop_back();
            continue;
        }
        const pugi::xml_node current = node;
        node = node.next_sibling();
        if (current.type() != pugi::node_element)
            continue;
        Element element = describe(current, scope); // scope is not used past the push below
        if (visit(element) == Walk::Descend) {
            if (const pugi::xml_node first = current.first_child())
                stack.emplace_back(first, std::move(element.scope));
        }
    }
}

Element findFirstDescendant(const Element& root, Vocabulary vocabulary, std::string_view local,
                            std::string_view barrier)
{
    std::vector<SearchFrame> frames;
    frames.push_back({root.node.first_child(), root.node, root.scope ? root.scope : NamespaceScope::empty()});
    while (!frames.empty()) {
        SearchFrame& frame = frames.back();
        if (!frame.next) {
            frames.pop_back();
            continue;
        }
        const pugi::xml_node current = frame.next;
        frame.next = current.next_sibling();
        if (current.type() != pugi::node_element)
            continue;
        // Few names end as the wanted ones do: only those have their prefix split off and compared.
        const std::string_view qualified = current.name();
        const std::string_view name = qualified.ends_with(local) || qualified.ends_with(barrier)
                                          ? splitQualifiedName(qualified.data()).second
                                          : std::string_view();
        if (name == local || name == barrier) {
            const Element element = describe(current, innermostScope(frames));
            if (element.is(vocabulary, local))
                return element;
            if (element.is(vocabulary, barrier))
                continue;
        }
        if (const pugi::xml_node first = current.first_child())
            frames.push_back({first, current, nullptr});
    }
    return {};
}

Element findChild(const Element& parent, Vocabulary vocabulary, std::string_view local)
{
    for (pugi::xml_node child : parent.node.children()) {
        // The local name is checked first: resolving the namespace costs far more, and most children differ.
        if (child.type() != pugi::node_element || splitQualifiedName(child.name()).second != local)
            continue;
        Element element = describe(child, parent.scope);
        if (element.is(vocabulary, local))
            return element;
    }
    return {};
}

pugi::xml_attribute findAttribute(const Element& element, Vocabulary vocabulary, std::string_view local)
{
    for (pugi::xml_attribute attribute = element.node.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        const auto [prefix, name] = splitQualifiedName(attribute.name());
        if (prefix.empty() || name != local)
            continue;
        const NamespaceScope::Binding* binding = element.scope->find(prefix);
        if (binding && binding->vocabulary == vocabulary)
            return attribute;
    }
    return {};
}

bool isOn(const Element& element)
{
    if (!element.node)
        return false;
    const pugi::xml_attribute value = findAttribute(element, Vocabulary::Word, "val");
    if (!value)
        return true;
    const std::string_view text = value.value();
    return text == "true" || text == "on" || text == "1";
}

Element insertWordElement(const Element& parent, pugi::xml_node follower, std::string_view wordUri,
                          std::string_view local)
{
    pugi::xml_node node = follower ? parent.node.insert_child_before(pugi::node_element, follower)
                                   : parent.node.append_child(pugi::node_element);
    const ScopeRef& parentScope = parent.scope;
    node.set_name(wordName(node, parentScope, wordUri, local).c_str());
    const std::string* prefix = parentScope->prefixOf(Vocabulary::Word);
    if (!prefix)
        return describe(node, parentScope); // named with a declaration of our own, which is a scope of its own
    // The parent's prefix: the node declares nothing, and its name is known.
    Element element;
    element.node = node;
    element.scope = parentScope;
    element.vocabulary = Vocabulary::Word;
    element.uri = parentScope->uriOf(*prefix);
    element.local = std::string_view(node.name()).substr(prefix->size() + 1);
    return element;
}

QualifiedName::QualifiedName(std::string_view prefix, std::string_view local)
{
    const std::size_t length = prefix.size() + 1 + local.size();
    if (length >= m_short.size()) {
        m_long.append(prefix).append(1, ':').append(local);
        return;
    }
    std::memcpy(m_short.data(), prefix.data(), prefix.size());
    m_short[prefix.size()] = ':';
    std::memcpy(m_short.data() + prefix.size() + 1, local.data(), local.size());
    m_short[length] = '\0';
}

QualifiedName wordName(pugi::xml_node element, const ScopeRef& scope, std::string_view wordUri, std::string_view local)
{
    if (const std::string* bound = scope->prefixOf(Vocabulary::Word))
        return QualifiedName(*bound, local);
    // A prefix of our own that is declared here already, or that nothing around uses yet.
    std::string prefix(kOwnWordPrefix);
    for (int suffix = 1;; ++suffix) {
        const std::string declaration = std::string(kXmlnsPrefix) + prefix;
        if (std::string_view(element.attribute(declaration.c_str()).value()) == wordUri)
            break;
        if (scope->uriOf(prefix).empty() && !element.attribute(declaration.c_str())) {
            element.append_attribute(declaration.c_str()).set_value(std::string(wordUri).c_str());
            break;
        }
        prefix = std::string(kOwnWordPrefix) + std::to_string(suffix);
    }
    return QualifiedName(prefix, local);
}

} // namespace glyphmere::docengine::xml
