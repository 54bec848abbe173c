#include "docengine/ooxml/WellFormedXml.h"

#include "common/Utf8.h"
#include "docengine/ooxml/XmlCharacters.h"
#include "docengine/ooxml/XmlNamespaceCheck.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace glyphmere::docengine {

namespace {

using namespace xml;

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
    bool attributes(std::vector<ScannedAttribute>& out);
    bool attributeValue(std::string_view& out);
    bool reference();
    bool text();
    bool until(std::string_view end, const char* what, bool noDoubleHyphen = false);

    std::string_view m_text;
    std::size_t m_at = 0;
    std::optional<std::string> m_problem;
    std::vector<std::string_view> m_open; // names of the open elements
    NamespaceCheck m_namespaces;
    std::vector<ScannedAttribute> m_attributes; // the current tag's, kept to spare an allocation per tag
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
    std::vector<ScannedAttribute> pseudo;
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
    for (const ScannedAttribute& field : pseudo) {
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
    if (startsWith("<?") || startsWith("<!"))
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
bool Scan::attributes(std::vector<ScannedAttribute>& out)
{
    for (;;) {
        const std::size_t before = m_at;
        skipSpace();
        if (!more() || m_text[m_at] == '>' || m_text[m_at] == '/' || m_text[m_at] == '?')
            return true;
        if (m_at == before)
            return fail("attributes without whitespace between them");
        ScannedAttribute attribute;
        if (!name(attribute.name))
            return false;
        std::tie(attribute.prefix, attribute.qualified) = qualifiedNamePrefix(attribute.name);
        skipSpace();
        if (!expect("=", "an attribute without a value"))
            return false;
        skipSpace();
        if (!attributeValue(attribute.value))
            return false;
        const auto same = [&](const ScannedAttribute& other) { return other.name == attribute.name; };
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
    if (!name(element) || !attributes(m_attributes))
        return false;
    if (const auto problem = m_namespaces.open(element, m_attributes))
        return fail(*problem);
    if (startsWith("/>")) {
        m_at += 2;
        m_namespaces.close();
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
    m_namespaces.close();
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
