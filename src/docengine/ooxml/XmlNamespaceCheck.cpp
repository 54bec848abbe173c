#include "docengine/ooxml/XmlNamespaceCheck.h"

#include "common/Utf8.h"
#include "docengine/ooxml/XmlCharacters.h"

namespace glyphmere::docengine::xml {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

} // namespace

std::pair<std::string_view, bool> qualifiedNamePrefix(std::string_view name)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return {{}, true};
    const std::string_view rest = name.substr(colon + 1);
    const auto first = rest.empty() || hasClass(rest[0], kNameStartByte) ? std::nullopt : common::decodeUtf8(rest);
    const bool startsLikeName = !rest.empty() && rest[0] != ':' &&
                                (hasClass(rest[0], kNameStartByte) || (first && isNameStart(first->codePoint)));
    const bool valid = colon > 0 && startsLikeName && rest.find(':') == std::string_view::npos;
    return {name.substr(0, colon), valid};
}

std::optional<std::string> NamespaceCheck::open(std::string_view element,
                                                const std::vector<ScannedAttribute>& attributes)
{
    if (auto problem = declare(attributes))
        return problem;
    return checkNames(element, attributes);
}

std::optional<std::string> NamespaceCheck::declare(const std::vector<ScannedAttribute>& attributes)
{
    std::size_t added = 0;
    for (const ScannedAttribute& attribute : attributes) {
        const std::string_view prefix = attribute.prefix;
        if (attribute.name != "xmlns" && prefix != "xmlns")
            continue;
        const std::string_view declared = prefix.empty() ? std::string_view() : attribute.name.substr(6);
        if (declared == "xmlns" || attribute.value == kXmlnsNamespace ||
            (declared == "xml") != (attribute.value == kXmlNamespace))
            return std::string("a reserved namespace declared");
        if (!prefix.empty() && attribute.value.empty())
            return "the prefix \"" + std::string(declared) + "\" declared empty";
        m_bindings.push_back({declared, attribute.value});
        ++added;
    }
    m_bindingsPerElement.push_back(added);
    if (added > 0)
        m_lastLookup.reset();
    return std::nullopt;
}

void NamespaceCheck::close()
{
    if (m_bindingsPerElement.back() > 0)
        m_lastLookup.reset();
    m_bindings.resize(m_bindings.size() - m_bindingsPerElement.back());
    m_bindingsPerElement.pop_back();
}

std::optional<std::string_view> NamespaceCheck::uriOf(std::string_view prefix) const
{
    if (prefix == "xml")
        return kXmlNamespace;
    if (m_lastLookup && m_lastLookup->first == prefix)
        return m_lastLookup->second;
    std::optional<std::string_view> uri;
    for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend() && !uri; ++binding) {
        if (binding->prefix == prefix)
            uri = binding->uri;
    }
    m_lastLookup.emplace(prefix, uri);
    return uri;
}

// Every name is a qualified name with a declared prefix, and no two attributes share a namespace and local
// name.
std::optional<std::string> NamespaceCheck::checkNames(std::string_view element,
                                                      const std::vector<ScannedAttribute>& attributes) const
{
    const auto [elementPrefix, elementValid] = qualifiedNamePrefix(element);
    if (!elementValid || elementPrefix == "xmlns")
        return "the element name \"" + std::string(element) + "\" is no qualified name";
    if (!elementPrefix.empty() && !uriOf(elementPrefix))
        return "the prefix \"" + std::string(elementPrefix) + "\" is not declared";
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const ScannedAttribute& attribute = attributes[i];
        if (!attribute.qualified)
            return "the attribute name \"" + std::string(attribute.name) + "\" is no qualified name";
        if (attribute.prefix.empty() || attribute.prefix == "xmlns")
            continue;
        const auto uri = uriOf(attribute.prefix);
        if (!uri)
            return "the prefix \"" + std::string(attribute.prefix) + "\" is not declared";
        for (std::size_t j = 0; j < i; ++j) {
            const ScannedAttribute& other = attributes[j];
            if (!other.prefix.empty() && other.prefix != attribute.prefix && other.prefix != "xmlns" &&
                other.local() == attribute.local() && uriOf(other.prefix) == uri)
                return "the attribute \"" + std::string(attribute.local()) + "\" given twice in one namespace";
        }
    }
    return std::nullopt;
}

} // namespace glyphmere::docengine::xml
