#include "docengine/XmlNames.h"

#include <cstring>
#include <utility>
#include <vector>

namespace glyphmere::docengine::xml {
namespace {

constexpr std::string_view kXmlnsPrefix = "xmlns:";
// Declared only when a part binds no prefix to WordprocessingML at the place of a new name.
constexpr std::string_view kOwnWordPrefix = "gw";

std::pair<std::string_view, std::string_view> splitQualifiedName(std::string_view name)
{
    const auto colon = name.find(':');
    if (colon == std::string_view::npos)
        return {std::string_view(), name};
    return {name.substr(0, colon), name.substr(colon + 1)};
}

bool declaresNamespaces(pugi::xml_node element)
{
    for (pugi::xml_attribute attribute : element.attributes()) {
        const std::string_view name = attribute.name();
        if (name == "xmlns" || name.starts_with(kXmlnsPrefix))
            return true;
    }
    return false;
}

} // namespace

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
    for (pugi::xml_attribute attribute : element.attributes()) {
        const std::string_view name = attribute.name();
        if (name == "xmlns")
            inner->m_bindings[""] = attribute.value();
        else if (name.starts_with(kXmlnsPrefix))
            inner->m_bindings[std::string(name.substr(kXmlnsPrefix.size()))] = attribute.value();
    }
    return inner;
}

std::string_view NamespaceScope::uriOf(std::string_view prefix) const
{
    const auto found = m_bindings.find(prefix);
    return found == m_bindings.end() ? std::string_view() : std::string_view(found->second);
}

const std::string* NamespaceScope::prefixOf(Vocabulary vocabulary) const
{
    for (const auto& [prefix, uri] : m_bindings) {
        if (!prefix.empty() && vocabularyOf(uri) == vocabulary)
            return &prefix;
    }
    return nullptr;
}

Element describe(pugi::xml_node node, const ScopeRef& parentScope)
{
    Element element;
    element.node = node;
    element.scope = NamespaceScope::enter(parentScope, node);
    const auto [prefix, local] = splitQualifiedName(node.name());
    element.local = local;
    element.uri = element.scope->uriOf(prefix);
    element.vocabulary = vocabularyOf(element.uri);
    return element;
}

Element describeFromRoot(pugi::xml_node node)
{
    std::vector<pugi::xml_node> path;
    for (pugi::xml_node at = node.parent(); at && at.type() == pugi::node_element; at = at.parent())
        path.push_back(at);
    ScopeRef scope = NamespaceScope::empty();
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        scope = NamespaceScope::enter(scope, *it);
    return describe(node, scope);
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
        const ScopeRef parentScope = scope; // the reference into the stack dies on push
        Element element = describe(current, parentScope);
        if (visit(element) == Walk::Descend)
            stack.emplace_back(current.first_child(), element.scope);
    }
}

Element findChild(const Element& parent, Vocabulary vocabulary, std::string_view local)
{
    for (pugi::xml_node child : parent.node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        Element element = describe(child, parent.scope);
        if (element.is(vocabulary, local))
            return element;
    }
    return {};
}

pugi::xml_attribute findAttribute(const Element& element, Vocabulary vocabulary, std::string_view local)
{
    for (pugi::xml_attribute attribute : element.node.attributes()) {
        const auto [prefix, name] = splitQualifiedName(attribute.name());
        if (!prefix.empty() && name == local && vocabularyOf(element.scope->uriOf(prefix)) == vocabulary)
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

std::string wordName(pugi::xml_node element, const ScopeRef& scope, std::string_view wordUri, std::string_view local)
{
    if (const std::string* bound = scope->prefixOf(Vocabulary::Word))
        return *bound + ":" + std::string(local);
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
    return prefix + ":" + std::string(local);
}

} // namespace glyphmere::docengine::xml
