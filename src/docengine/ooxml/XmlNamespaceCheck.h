#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphmere::docengine::xml {

// One attribute of a start tag as the well-formedness scan reads it.
struct ScannedAttribute {
    std::string_view name, value;
    std::string_view prefix; // "" for none
    bool qualified = true;   // the name is a valid qualified name
    std::string_view local() const { return prefix.empty() ? name : name.substr(prefix.size() + 1); }
};

// The prefix of a name that XML allows ("" for none), and whether the name is a valid qualified name: at most
// one colon, with a name on each side that starts as a name must (no digit after the colon).
std::pair<std::string_view, bool> qualifiedNamePrefix(std::string_view name);

// The namespace rules of well-formed markup, kept element by element as a scan meets the tags: declarations
// that bind no reserved name or namespace and no prefix to nothing, every prefix in use declared, and no two
// attributes of a tag with one namespace and local name.
class NamespaceCheck {
public:
    // The rule the start tag breaks, or nullopt; its declarations are in scope until the matching close().
    std::optional<std::string> open(std::string_view element, const std::vector<ScannedAttribute>& attributes);
    void close();

private:
    struct Binding {
        std::string_view prefix, uri;
    };

    std::optional<std::string> declare(const std::vector<ScannedAttribute>& attributes);
    std::optional<std::string> checkNames(std::string_view element,
                                          const std::vector<ScannedAttribute>& attributes) const;
    std::optional<std::string_view> uriOf(std::string_view prefix) const;

    std::vector<Binding> m_bindings;               // declarations in scope
    std::vector<std::size_t> m_bindingsPerElement; // how many each open element added
    // The last prefix looked up and its namespace: nearly every attribute of a part has the same prefix.
    mutable std::optional<std::pair<std::string_view, std::optional<std::string_view>>> m_lastLookup;
};

} // namespace glyphmere::docengine::xml
