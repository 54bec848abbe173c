#include "docengine/ooxml/XmlPart.h"

#include "common/AsciiCase.h"
#include "docengine/EngineError.h"
#include "docengine/ooxml/WellFormedXml.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace glyphmere::docengine {
namespace {

// Everything of meaning is kept: no trimming, no whitespace folding beyond what XML itself defines.
constexpr unsigned kParseFlags = pugi::parse_full | pugi::parse_ws_pcdata;
// Written as parsed: no indentation, no declaration of our own (the part's own one is a node).
constexpr unsigned kWriteFlags = pugi::format_raw | pugi::format_no_declaration;

struct DetectedEncoding {
    pugi::xml_encoding encoding;
    bool byteOrderMark;
};

bool startsWith(const std::string& bytes, std::string_view prefix)
{
    return std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

// The encoding name in an ASCII-compatible declaration, lower-cased; empty when none is given.
std::string declaredEncoding(const std::string& bytes)
{
    if (!startsWith(bytes, "<?xml"))
        return {};
    const std::string_view declaration = std::string_view(bytes).substr(0, bytes.find("?>"));
    const auto key = declaration.find("encoding");
    if (key == std::string_view::npos)
        return {};
    const auto open = declaration.find_first_of("\"'", key);
    if (open == std::string_view::npos)
        return {};
    const auto close = declaration.find(declaration[open], open + 1);
    std::string name(declaration.substr(open + 1, close - open - 1));
    return common::toLowerAscii(name);
}

DetectedEncoding detectEncoding(const std::string& partName, const std::string& bytes)
{
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return {pugi::encoding_utf8, true};
    if (startsWith(bytes, "\xFF\xFE"))
        return {pugi::encoding_utf16_le, true};
    if (startsWith(bytes, "\xFE\xFF"))
        return {pugi::encoding_utf16_be, true};
    if (startsWith(bytes, std::string_view("<\0?\0", 4)))
        return {pugi::encoding_utf16_le, false};
    if (startsWith(bytes, std::string_view("\0<\0?", 4)))
        return {pugi::encoding_utf16_be, false};
    const std::string declared = declaredEncoding(bytes);
    if (!declared.empty() && declared != "utf-8" && declared != "utf8")
        throw EngineError("the part " + partName + " uses the encoding \"" + declared +
                          "\", which a Word document may not use");
    return {pugi::encoding_utf8, false};
}

// The length of the construct at pos whose content is written as it was parsed, or 0.
std::size_t verbatimLength(std::string_view text, std::size_t pos)
{
    static constexpr std::pair<std::string_view, std::string_view> kVerbatim[] = {
        {"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!DOCTYPE", ">"}};
    for (auto [open, close] : kVerbatim) {
        if (text.substr(pos, open.size()) != open)
            continue;
        if (open == "<!DOCTYPE" && text.find('[', pos) < text.find('>', pos))
            close = "]>"; // an internal subset
        const std::size_t end = text.find(close, pos + open.size());
        return (end == std::string_view::npos ? text.size() : end + close.size()) - pos;
    }
    return 0;
}

// Text may hold a carriage return written as "&#13;"; the writer puts it out raw, and a raw one would
// read back as a line feed. Line ends in text, comments and CDATA were normalised on parsing, so a raw
// one there came from such a reference; processing instructions and the document type keep theirs.
std::string withCarriageReturnsEscaped(std::string utf8)
{
    if (utf8.find('\r') == std::string::npos)
        return utf8; // the usual case: nothing to escape, and no copy at all
    std::string escaped;
    escaped.reserve(utf8.size());
    const std::string_view text = utf8;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = text[i] == '<' ? verbatimLength(text, i) : 0) {
            escaped += text.substr(i, length);
            i += length;
        } else {
            escaped += text[i] == '\r' ? std::string_view("&#13;") : text.substr(i, 1);
            ++i;
        }
    }
    return escaped;
}

void appendUtf16Unit(std::string& out, unsigned unit, bool littleEndian)
{
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    out += littleEndian ? low : high;
    out += littleEndian ? high : low;
}

std::string utf16FromUtf8(const std::string& utf8, bool littleEndian)
{
    std::string out;
    for (wchar_t c : pugi::as_wide(utf8)) {
        const auto codePoint = static_cast<std::uint32_t>(c);
        if (codePoint < 0x10000) {
            appendUtf16Unit(out, codePoint, littleEndian);
        } else {
            appendUtf16Unit(out, 0xD800 + ((codePoint - 0x10000) >> 10), littleEndian);
            appendUtf16Unit(out, 0xDC00 + ((codePoint - 0x10000) & 0x3FF), littleEndian);
        }
    }
    return out;
}

// The parser leaves references to entities that a document type declares as they are, and the writer
// would turn each into literal text; a Word document never has one, so such a part is refused.
bool hasDocumentType(const pugi::xml_document& document)
{
    for (const pugi::xml_node node : document.children())
        if (node.type() == pugi::node_doctype)
            return true;
    return false;
}

std::optional<std::string> wellFormednessProblem(std::string_view bytes, const DetectedEncoding& detected)
{
    if (detected.encoding == pugi::encoding_utf8)
        return xmlWellFormednessProblem(bytes.substr(detected.byteOrderMark ? 3 : 0));
    return xmlWellFormednessProblem(bytes.substr(detected.byteOrderMark ? 2 : 0),
                                    detected.encoding == pugi::encoding_utf16_le);
}

// Collects the writer's output in one string, without a stream's buffer and copy.
class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, std::size_t size) override { m_out.append(static_cast<const char*>(data), size); }

private:
    std::string& m_out;
};

} // namespace

XmlPart::XmlPart(std::string name, std::string bytes, bool checkWellFormed)
    : m_name(std::move(name)), m_text(std::make_unique<std::string>(std::move(bytes))),
      m_document(std::make_unique<pugi::xml_document>()), m_originalSize(m_text->size()), m_checked(checkWellFormed)
{
    const DetectedEncoding detected = detectEncoding(m_name, *m_text);
    m_encoding = detected.encoding;
    m_byteOrderMark = detected.byteOrderMark;
    // Before parsing, which works in place and leaves the bytes changed.
    if (checkWellFormed)
        m_notWellFormed = wellFormednessProblem(*m_text, detected);
    const pugi::xml_parse_result result =
        m_document->load_buffer_inplace(m_text->data(), m_text->size(), kParseFlags, m_encoding);
    if (!result || !m_document->document_element())
        throw EngineError("the part " + m_name + " is damaged (" +
                          (result ? std::string("no root element") : std::string(result.description())) +
                          " at offset " + std::to_string(result.offset) + ")");
    if (hasDocumentType(*m_document))
        throw EngineError("the part " + m_name +
                          " has a document type declaration, which a Word document may not have");
    m_rootElement = xml::describe(root(), xml::NamespaceScope::empty());
}

bool XmlPart::requireWellFormed() const
{
    if (m_notWellFormed)
        throw EngineError("the part " + m_name + " is not well-formed XML (" + *m_notWellFormed + ")");
    return m_checked;
}

std::string XmlPart::serialize() const
{
    std::string written;
    written.reserve(m_originalSize * 2); // new run properties can double the size of the main text
    StringWriter writer(written);
    m_document->save(writer, "", kWriteFlags, pugi::encoding_utf8);
    std::string utf8 = withCarriageReturnsEscaped(std::move(written));
    if (m_encoding == pugi::encoding_utf8) {
        if (m_byteOrderMark)
            utf8.insert(0, "\xEF\xBB\xBF");
        return utf8;
    }
    const bool littleEndian = m_encoding == pugi::encoding_utf16_le;
    const std::string bom = !m_byteOrderMark ? "" : littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    return bom + utf16FromUtf8(utf8, littleEndian);
}

} // namespace glyphmere::docengine
