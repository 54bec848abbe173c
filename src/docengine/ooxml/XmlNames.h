#pragma once

#include <pugixml.hpp>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphmere::docengine::xml {

// Namespace URIs of the vocabularies the engine reads, in their transitional and strict forms.
inline constexpr std::string_view kWordUri = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr std::string_view kWordStrictUri = "http://purl.oclc.org/ooxml/wordprocessingml/main";
inline constexpr std::string_view kMathUri = "http://schemas.openxmlformats.org/officeDocument/2006/math";
inline constexpr std::string_view kMathStrictUri = "http://purl.oclc.org/ooxml/officeDocument/math";
inline constexpr std::string_view kRelationshipsUri =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr std::string_view kRelationshipsStrictUri = "http://purl.oclc.org/ooxml/officeDocument/relationships";

enum class Vocabulary { Other, Word, Math, Relationships };

Vocabulary vocabularyOf(std::string_view uri);

// The prefix bindings in force at one element. Scopes are shared: an element that declares nothing
// uses its parent's scope.
class NamespaceScope {
public:
    static std::shared_ptr<const NamespaceScope> empty();
    // The scope inside element, given the scope around it.
    static std::shared_ptr<const NamespaceScope> enter(const std::shared_ptr<const NamespaceScope>& outer,
                                                       pugi::xml_node element);

    // One prefix ("" is the default namespace) with its URI and the vocabulary that URI names.
    struct Binding {
        std::string prefix;
        std::string uri;
        Vocabulary vocabulary;
    };

    // The binding of prefix, or nullptr when it is unbound.
    const Binding* find(std::string_view prefix) const;
    // The URI bound to prefix; empty when unbound.
    std::string_view uriOf(std::string_view prefix) const;
    // A non-empty prefix bound to the vocabulary, or nullptr when there is none.
    const std::string* prefixOf(Vocabulary vocabulary) const;

private:
    void bind(std::string_view prefix, std::string_view uri);
    const std::string* findPrefixOf(Vocabulary vocabulary) const;

    // Each prefix once, the engine's own vocabularies first: nearly every name a pass resolves is one of
    // theirs, so a lookup usually ends at the first or second binding instead of searching dozens.
    std::vector<Binding> m_bindings;
    // prefixOf(Vocabulary::Word), found once: every new element and attribute asks for it.
    const std::string* m_wordPrefix = nullptr;
};

using ScopeRef = std::shared_ptr<const NamespaceScope>;

// An element with its resolved namespace.
struct Element {
    mutable pugi::xml_node node; // a handle: changing the markup does not change the Element
    ScopeRef scope;
    Vocabulary vocabulary = Vocabulary::Other;
    std::string_view uri; // owned by scope
    std::string_view local;

    bool is(Vocabulary v, std::string_view name) const { return vocabulary == v && local == name; }
    bool isWord(std::string_view name) const { return is(Vocabulary::Word, name); }
};

// The vocabulary and local name of an element, without the scope inside it: what ordering and matching
// children needs.
struct Name {
    Vocabulary vocabulary = Vocabulary::Other;
    std::string_view local; // owned by the markup

    bool is(Vocabulary v, std::string_view name) const { return vocabulary == v && local == name; }
    bool isWord(std::string_view name) const { return is(Vocabulary::Word, name); }
};

// The prefix ("" when none) and the local name of a qualified name, as views into it.
std::pair<std::string_view, std::string_view> splitQualifiedName(const char* name);

// The name of child, an element inside parentScope. Builds the child's own scope only when the child
// declares namespaces, so naming every child of an element allocates nothing.
Name nameOf(pugi::xml_node child, const ScopeRef& parentScope);

// Describes node inside the scope of its parent.
Element describe(pugi::xml_node node, const ScopeRef& parentScope);

enum class Walk { Descend, Skip };

// Visits the element descendants of root in document order, with an explicit stack so that deeply
// nested markup cannot exhaust the call stack. The visitor decides whether to go inside each element.
void walkElements(const Element& root, const std::function<Walk(const Element&)>& visit);

// The first descendant of root in document order that is the vocabulary's element local, not searching
// inside the vocabulary's elements named barrier. Only elements with one of the two local names have their
// namespace resolved, so searching a whole part costs little more than visiting its nodes.
Element findFirstDescendant(const Element& root, Vocabulary vocabulary, std::string_view local,
                            std::string_view barrier);

// The first child element of the vocabulary with that local name.
Element findChild(const Element& parent, Vocabulary vocabulary, std::string_view local);

// The attribute of the vocabulary with that local name (prefixed, as namespaced attributes are).
pugi::xml_attribute findAttribute(const Element& element, Vocabulary vocabulary, std::string_view local);

// An on/off property element: present without a value, or with "true", "on" or "1".
bool isOn(const Element& element);

// "prefix:local", built in place when short, as the names the engine creates are.
class QualifiedName {
public:
    QualifiedName(std::string_view prefix, std::string_view local);
    const char* c_str() const { return m_long.empty() ? m_short.data() : m_long.c_str(); }

private:
    std::array<char, 32> m_short{};
    std::string m_long;
};

// A new WordprocessingML element local (named as wordName says) in parent, before the child follower, or
// last when follower is empty.
Element insertWordElement(const Element& parent, pugi::xml_node follower, std::string_view wordUri,
                          std::string_view local);

// The qualified name for a new WordprocessingML element or attribute at element: the prefix the part
// binds to the vocabulary there; when none is bound, a declaration of our own is added to element.
QualifiedName wordName(pugi::xml_node element, const ScopeRef& scope, std::string_view wordUri, std::string_view local);

} // namespace glyphmere::docengine::xml
