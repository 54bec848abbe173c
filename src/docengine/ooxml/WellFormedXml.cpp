#include "docengine/ooxml/WellFormedXml.h"

#include "common/Utf8.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace glyphmere::docengine {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isNameStart(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
    return (c >= 0xC0 && c <= 0x2FF && c != 0xD7 && c != 0xF7) || (c >= 0x370 && c <= 0x1FFF && c != 0x37E) ||
           c == 0x200C || c == 0x200D || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
           (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameCharacter(char32_t c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// What an ASCII byte may be without a closer look, so that the common bytes cost one table lookup each.
enum ByteClass : unsigned char {
    kNameStartByte = 1,  // starts a name
    kNameByte = 2,       // continues a name
    kPlainTextByte = 4,  // stands for itself in text
    kPlainValueByte = 8, // stands for itself in an attribute value
};

constexpr std::array<unsigned char, 256> byteClasses()
{
    std::array<unsigned char, 256> classes{};
    for (int c = 0x20; c < 0x80; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
        const bool digitOrMark = (c >= '0' && c <= '9') || c == '-' || c == '.';
        classes[c] =
            static_cast<unsigned char>((letter ? kNameStartByte | kNameByte : 0) | (digitOrMark ? kNameByte : 0) |
                                       (c != '<' && c != '&' && c != ']' ? kPlainTextByte : 0) |
                                       (c != '<' && c != '&' && c != '"' && c != '\'' ? kPlainValueByte : 0));
    }
    for (const int c : {'\t', '\n', '\r'})
        classes[c] = kPlainTextByte | kPlainValueByte;
    return classes;
}

constexpr std::array<unsigned char, 256> kByteClasses = byteClasses();

bool hasClass(char c, ByteClass byteClass) { return kByteClasses[static_cast<unsigned char>(c)] & byteClass; }

struct Attribute {
    std::string_view name, value;
    std::string_view prefix; // "" for none
    bool qualified = true;   // the name is a valid qualified name
    std::string_view local() const { return prefix.empty() ? name : name.substr(prefix.size() + 1); }
};

struct Binding {
    std::string_view prefix, uri;
};

// The prefix of a qualified name ("" for none), and whether the name (a valid XML name) is a valid qualified
// name: at most one colon, with a name on each side that starts as a name must (no digit after the colon).
std::pair<std::string_view, bool> prefixOf(std::string_view name)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return {{}, true};
    const std::string_view rest = name.substr(colon + 1);
    const bool startsLikeName =
        !rest.empty() && rest[0] != ':' &&
        (hasClass(rest[0], kNameStartByte) ||
         (static_cast<unsigned char>(rest[0]) >= 0x80 && isNameStart(common::decodeUtf8(rest)->codePoint)));
    const bool valid = colon > 0 && startsLikeName && rest.find(':') == std::string_view::npos;
    return {name.substr(0, colon), valid};
}

// One pass over the markup; the first damage found stops it.
class Scan {
public:
    explicit Scan(std::string_view text) : m_text(text) {}
    std::optional<std::string> run();

private:
    bool fail(const std::string& what)
    {
        if (!m_problem)
            m_problem = what + " at offset " + std::to_string(m_at);
        return false;
    }
    bool more() const { return m_at < m_text.size(); }
    bool startsWith(std::string_view token) const { return m_text.substr(m_at, token.size()) == token; }
    bool expect(std::string_view token, const char* what);
    void skipSpace();
    std::optional<char32_t> character();
    bool name(std::string_view& out);
    bool declaration();
    bool misc();
    bool markupOutsideText();
    bool content();
    bool startTag();
    bool endTag();
    bool attributes(std::vector<Attribute>& out);
    bool attributeValue(std::string_view& out);
    bool reference();
    bool text();
    bool until(std::string_view end, const char* what, bool noDoubleHyphen = false);
    bool bindNamespaces(const std::vector<Attribute>& attributes);
    bool checkNames(std::string_view element, const std::vector<Attribute>& attributes);
    std::optional<std::string_view> uriOf(std::string_view prefix) const;
    void closeElement();

    std::string_view m_text;
    std::size_t m_at = 0;
    std::optional<std::string> m_problem;
    std::vector<std::string_view> m_open;          // names of the open elements
    std::vector<Binding> m_bindings;               // namespace declarations in scope
    std::vector<std::size_t> m_bindingsPerElement; // how many each open element added
    std::vector<Attribute> m_attributes;           // the current tag's, kept to spare an allocation per tag
    // The last prefix looked up and its namespace: nearly every attribute of a part has the same prefix.
    mutable std::optional<std::pair<std::string_view, std::optional<std::string_view>>> m_lastLookup;
};

std::optional<std::string> Scan::run()
{
    if (startsWith("<?xml") && m_text.size() > 5 && (isSpace(m_text[5]) || m_text[5] == '?'))
        declaration();
    while (!m_problem && misc()) {
    }
    if (!m_problem && !startsWith("<"))
        fail("no root element");
    if (!m_problem && startTag())
        content();
    while (!m_problem && misc()) {
    }
    if (!m_problem && more())
        fail("content after the root element");
    return m_problem;
}

bool Scan::expect(std::string_view token, const char* what)
{
    if (token.size() == 1 ? !more() || m_text[m_at] != token[0] : !startsWith(token))
        return fail(what);
    m_at += token.size();
    return true;
}

void Scan::skipSpace()
{
    while (more() && isSpace(m_text[m_at]))
        ++m_at;
}

// The character at the cursor, which then moves past it; nullopt (with the reason) when it is no valid UTF-8
// or no character XML allows.
std::optional<char32_t> Scan::character()
{
    const auto byte = static_cast<unsigned char>(m_text[m_at]);
    if (byte >= 0x20 && byte < 0x80) {
        ++m_at;
        return byte;
    }
    const auto decoded = common::decodeUtf8(m_text.substr(m_at));
    if (!decoded) {
        fail("bytes that are not UTF-8");
        return std::nullopt;
    }
    if (!isXmlCharacter(decoded->codePoint)) {
        fail("a character that XML does not allow");
        return std::nullopt;
    }
    m_at += decoded->length;
    return decoded->codePoint;
}

bool Scan::name(std::string_view& out)
{
    const std::size_t start = m_at;
    if (more() && hasClass(m_text[m_at], kNameStartByte)) {
        ++m_at;
        while (more() && hasClass(m_text[m_at], kNameByte))
            ++m_at;
        if (!more() || static_cast<unsigned char>(m_text[m_at]) < 0x80) {
            out = m_text.substr(start, m_at - start);
            return true;
        }
        m_at = start; // a name with other characters takes the slow way
    }
    const auto first = more() ? character() : std::nullopt;
    if (!first || !isNameStart(*first)) {
        m_at = start;
        return fail("a name that XML does not allow");
    }
    while (more()) {
        const std::size_t before = m_at;
        const auto next = character();
        if (!next)
            return false;
        if (!isNameCharacter(*next)) {
            m_at = before;
            break;
        }
    }
    out = m_text.substr(start, m_at - start);
    return true;
}

bool Scan::declaration()
{
    m_at += 5;
    std::vector<Attribute> pseudo;
    if (!attributes(pseudo))
        return false;
    skipSpace();
    if (!expect("?>", "a malformed XML declaration"))
        return false;
    const auto isDigits = [](std::string_view v) {
        return !v.empty() && std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    static constexpr std::string_view kOrder[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    for (const Attribute& field : pseudo) {
        while (next < 3 && field.name != kOrder[next])
            ++next;
        if (next == 3)
            return fail("a malformed XML declaration");
        if (next == 0 && !(field.value.starts_with("1.") && isDigits(field.value.substr(2))))
            return fail("an XML version that is not 1.x");
        if (next == 2 && field.value != "yes" && field.value != "no")
            return fail("a malformed XML declaration");
        ++next;
    }
    return pseudo.empty() || pseudo.front().name == "version" || fail("an XML declaration without its version");
}

// Whitespace, a comment or a processing instruction outside the root element; false when none is next.
bool Scan::misc()
{
    const std::size_t start = m_at;
    skipSpace();
    if (startsWith("<!--") || startsWith("<?") || startsWith("<!"))
        return markupOutsideText();
    return m_at > start;
}

// A comment, processing instruction or other "<!"/"<?" markup at the cursor.
bool Scan::markupOutsideText()
{
    if (startsWith("<!--")) {
        m_at += 4;
        return until("-->", "a comment that does not end", true);
    }
    if (startsWith("<![CDATA[") && !m_open.empty()) {
        m_at += 9;
        return until("]]>", "a CDATA section that does not end");
    }
    if (!startsWith("<?"))
        return fail("markup that XML does not allow here");
    m_at += 2;
    std::string_view target;
    if (!name(target))
        return false;
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
        return fail("an XML declaration that is not at the start");
    if (target.find(':') != std::string_view::npos)
        return fail("a processing instruction whose target holds a colon");
    if (!startsWith("?>") && !(more() && isSpace(m_text[m_at])))
        return fail("a malformed processing instruction");
    return until("?>", "a processing instruction that does not end");
}

// Characters up to and past `end`, each one XML allows.
bool Scan::until(std::string_view end, const char* what, bool noDoubleHyphen)
{
    while (more()) {
        if (startsWith(end)) {
            m_at += end.size();
            return true;
        }
        if (noDoubleHyphen && startsWith("--"))
            return fail("a comment that holds \"--\"");
        if (!character())
            return false;
    }
    return fail(what);
}

// Everything inside the root element, its end tag included; nesting kept on a stack, never by recursion.
bool Scan::content()
{
    while (!m_open.empty()) {
        if (!more())
            return fail("an element that does not end");
        const char c = m_text[m_at];
        const bool ok = c != '<'           ? text()
                        : startsWith("</") ? endTag()
                        : startsWith("<!") ? markupOutsideText()
                        : startsWith("<?") ? markupOutsideText()
                                           : startTag();
        if (!ok)
            return false;
    }
    return true;
}

bool Scan::text()
{
    while (more() && m_text[m_at] != '<') {
        if (hasClass(m_text[m_at], kPlainTextByte)) {
            ++m_at;
            continue;
        }
        if (startsWith("]]>"))
            return fail("\"]]>\" in text");
        if (m_text[m_at] == '&' ? !reference() : !character())
            return false;
    }
    return true;
}

// A character reference to a character XML allows, or one of the five predefined entities.
bool Scan::reference()
{
    const std::size_t semicolon = m_text.find(';', m_at);
    const std::string_view body =
        m_text.substr(m_at + 1, semicolon == std::string_view::npos ? 0 : semicolon - m_at - 1);
    if (semicolon == std::string_view::npos || body.empty())
        return fail("a malformed reference");
    if (body[0] == '#') {
        const bool hex = body.size() > 1 && body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        char32_t value = 0;
        for (const char d : digits) {
            const int digit = d >= '0' && d <= '9'                            ? d - '0'
                              : hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f' ? (d | 0x20) - 'a' + 10
                                                                              : -1;
            if (digit < 0 || value > 0x10FFFF)
                return fail("a malformed character reference");
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        if (digits.empty() || !isXmlCharacter(value))
            return fail("a reference to a character that XML does not allow");
    } else if (body != "lt" && body != "gt" && body != "amp" && body != "apos" && body != "quot") {
        return fail("a reference to an undefined entity");
    }
    m_at = semicolon + 1;
    return true;
}

bool Scan::attributeValue(std::string_view& out)
{
    if (!more() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
        return fail("an attribute without a quoted value");
    const char quote = m_text[m_at++];
    const std::size_t start = m_at;
    while (more() && m_text[m_at] != quote) {
        if (hasClass(m_text[m_at], kPlainValueByte)) {
            ++m_at;
            continue;
        }
        if (m_text[m_at] == '<')
            return fail("a \"<\" in an attribute value");
        if (m_text[m_at] == '&' ? !reference() : !character())
            return false;
    }
    if (!more())
        return fail("an attribute value that does not end");
    out = m_text.substr(start, m_at - start);
    ++m_at;
    return true;
}

// Attributes up to the tag's end, each after whitespace, none named twice.
bool Scan::attributes(std::vector<Attribute>& out)
{
    for (;;) {
        const std::size_t before = m_at;
        skipSpace();
        if (!more() || m_text[m_at] == '>' || m_text[m_at] == '/' || m_text[m_at] == '?')
            return true;
        if (m_at == before)
            return fail("attributes without whitespace between them");
        Attribute attribute;
        if (!name(attribute.name))
            return false;
        std::tie(attribute.prefix, attribute.qualified) = prefixOf(attribute.name);
        skipSpace();
        if (!expect("=", "an attribute without a value"))
            return false;
        skipSpace();
        if (!attributeValue(attribute.value))
            return false;
        const auto same = [&](const Attribute& other) { return other.name == attribute.name; };
        if (std::any_of(out.begin(), out.end(), same))
            return fail("the attribute \"" + std::string(attribute.name) + "\" given twice");
        out.push_back(attribute);
    }
}

bool Scan::startTag()
{
    ++m_at;
    std::string_view element;
    m_attributes.clear();
    if (!name(element) || !attributes(m_attributes) || !bindNamespaces(m_attributes) ||
        !checkNames(element, m_attributes))
        return false;
    if (startsWith("/>")) {
        m_at += 2;
        closeElement();
        return true;
    }
    if (!expect(">", "a tag that does not end"))
        return false;
    m_open.push_back(element);
    return true;
}

bool Scan::endTag()
{
    m_at += 2;
    std::string_view element;
    if (!name(element))
        return false;
    skipSpace();
    if (!expect(">", "an end tag that does not end"))
        return false;
    if (element != m_open.back())
        return fail("the end tag \"" + std::string(element) + "\" closes \"" + std::string(m_open.back()) + "\"");
    m_open.pop_back();
    closeElement();
    return true;
}

bool Scan::bindNamespaces(const std::vector<Attribute>& attributes)
{
    std::size_t added = 0;
    for (const Attribute& attribute : attributes) {
        const std::string_view prefix = attribute.prefix;
        if (attribute.name != "xmlns" && prefix != "xmlns")
            continue;
        const std::string_view declared = prefix.empty() ? std::string_view() : attribute.name.substr(6);
        if (declared == "xmlns" || attribute.value == kXmlnsNamespace ||
            (declared == "xml") != (attribute.value == kXmlNamespace))
            return fail("a reserved namespace declared");
        if (!prefix.empty() && attribute.value.empty())
            return fail("the prefix \"" + std::string(declared) + "\" declared empty");
        m_bindings.push_back({declared, attribute.value});
        ++added;
    }
    m_bindingsPerElement.push_back(added);
    if (added > 0)
        m_lastLookup.reset();
    return true;
}

void Scan::closeElement()
{
    if (m_bindingsPerElement.back() > 0)
        m_lastLookup.reset();
    m_bindings.resize(m_bindings.size() - m_bindingsPerElement.back());
    m_bindingsPerElement.pop_back();
}

std::optional<std::string_view> Scan::uriOf(std::string_view prefix) const
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
bool Scan::checkNames(std::string_view element, const std::vector<Attribute>& attributes)
{
    const auto [elementPrefix, elementValid] = prefixOf(element);
    if (!elementValid || elementPrefix == "xmlns")
        return fail("the element name \"" + std::string(element) + "\" is no qualified name");
    if (!elementPrefix.empty() && !uriOf(elementPrefix))
        return fail("the prefix \"" + std::string(elementPrefix) + "\" is not declared");
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const Attribute& attribute = attributes[i];
        if (!attribute.qualified)
            return fail("the attribute name \"" + std::string(attribute.name) + "\" is no qualified name");
        if (attribute.prefix.empty() || attribute.prefix == "xmlns")
            continue;
        const auto uri = uriOf(attribute.prefix);
        if (!uri)
            return fail("the prefix \"" + std::string(attribute.prefix) + "\" is not declared");
        for (std::size_t j = 0; j < i; ++j) {
            const Attribute& other = attributes[j];
            if (!other.prefix.empty() && other.prefix != attribute.prefix && other.prefix != "xmlns" &&
                other.local() == attribute.local() && uriOf(other.prefix) == uri)
                return fail("the attribute \"" + std::string(attribute.local()) + "\" given twice in one namespace");
        }
    }
    return true;
}

} // namespace

std::optional<std::string> xmlWellFormednessProblem(std::string_view utf8) { return Scan(utf8).run(); }

std::optional<std::string> xmlWellFormednessProblem(std::string_view utf16, bool littleEndian)
{
    std::string utf8;
    utf8.reserve(utf16.size());
    const auto unitAt = [&](std::size_t at) -> char32_t {
        const auto low = static_cast<unsigned char>(utf16[at + (littleEndian ? 0 : 1)]);
        const auto high = static_cast<unsigned char>(utf16[at + (littleEndian ? 1 : 0)]);
        return static_cast<char32_t>(high << 8 | low);
    };
    for (std::size_t at = 0; at + 1 < utf16.size(); at += 2) {
        char32_t unit = unitAt(at);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < utf16.size() && unitAt(at + 2) >= 0xDC00 &&
            unitAt(at + 2) <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
            at += 2;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            return "a lone surrogate at offset " + std::to_string(at);
        }
        common::appendUtf8(utf8, unit);
    }
    if (utf16.size() % 2 != 0)
        return std::string("an odd number of bytes in UTF-16 markup");
    return xmlWellFormednessProblem(utf8);
}

} // namespace glyphmere::docengine
