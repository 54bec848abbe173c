#include "docengine/XmlPart.h"

#include "docengine/EngineError.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string_view>

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
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
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

} // namespace

XmlPart::XmlPart(std::string name, const std::string& bytes)
    : m_name(std::move(name)), m_document(std::make_unique<pugi::xml_document>())
{
    const DetectedEncoding detected = detectEncoding(m_name, bytes);
    m_encoding = detected.encoding;
    m_byteOrderMark = detected.byteOrderMark;
    const pugi::xml_parse_result result = m_document->load_buffer(bytes.data(), bytes.size(), kParseFlags, m_encoding);
    if (!result || !m_document->document_element())
        throw EngineError("the part " + m_name + " is damaged (" +
                          (result ? std::string("no root element") : std::string(result.description())) +
                          " at offset " + std::to_string(result.offset) + ")");
}

std::string XmlPart::serialize() const
{
    std::ostringstream out;
    const unsigned flags = kWriteFlags | (m_byteOrderMark ? pugi::format_write_bom : 0u);
    m_document->save(out, "", flags, m_encoding);
    return out.str();
}

} // namespace glyphmere::docengine
