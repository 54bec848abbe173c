#include "docengine/binary/FontTable.h"

#include "common/LittleEndian.h"
#include "common/Utf16.h"
#include "docengine/binary/BinaryFields.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/fonts/SystemFonts.h"

namespace glyphmere::docengine {
namespace {

constexpr std::size_t kMaxFonts = 0x7FF0;
constexpr std::size_t kNameOffset = 39; // of xszFfn in an FFN
constexpr std::size_t kMaxFfnSize = 255;

[[noreturn]] void refuse(const std::string& detail)
{
    throw EngineError(messages::damagedStructure("the font table " + detail));
}

// The name at the start of utf16le, up to its terminator; nullopt when it has none.
std::optional<std::string> terminatedName(std::string_view utf16le)
{
    std::u16string name;
    for (std::size_t offset = 0; offset + 1 < utf16le.size(); offset += 2) {
        const char16_t unit = fieldU16(utf16le, offset, "the font table");
        if (unit == 0)
            return common::utf8FromUtf16(name);
        name.push_back(unit);
    }
    return std::nullopt;
}

std::string ffnBytes(const FontDescription& font, const std::u16string& name)
{
    std::string ffn;
    ffn.push_back(static_cast<char>(font.ffid));
    common::appendLe16(ffn, font.weight);
    ffn.push_back(static_cast<char>(font.charset));
    ffn.push_back('\0'); // ixchSzAlt: no alternative name
    ffn.append(font.panose.begin(), font.panose.end());
    for (std::uint32_t value : font.signature)
        common::appendLe32(ffn, value);
    for (char16_t unit : name)
        common::appendLe16(ffn, unit);
    common::appendLe16(ffn, 0);
    return ffn;
}

} // namespace

FontTable FontTable::parse(std::string_view sttbfFfn)
{
    if (sttbfFfn.size() < 4)
        refuse("ends inside its header");
    const std::size_t count = fieldU16(sttbfFfn, 0, "the font table");
    if (count > kMaxFonts)
        refuse("gives its number of fonts as " + std::to_string(count) + ", more than 32752");
    if (fieldU16(sttbfFfn, 2, "the font table") != 0)
        refuse("has extra data for each font, which it never has");
    FontTable table;
    std::size_t offset = 4;
    for (std::size_t index = 0; index < count; ++index) {
        const std::size_t size = offset < sttbfFfn.size() ? static_cast<unsigned char>(sttbfFfn[offset]) : 0;
        if (offset >= sttbfFfn.size() || size > sttbfFfn.size() - offset - 1)
            refuse("ends inside font " + std::to_string(index));
        const std::string_view ffn = sttbfFfn.substr(offset + 1, size);
        std::optional<std::string> name =
            ffn.size() > kNameOffset ? terminatedName(ffn.substr(kNameOffset)) : std::nullopt;
        if (!name)
            refuse("gives font " + std::to_string(index) + " a name without an end");
        table.m_entries.push_back({std::string(sttbfFfn.substr(offset, 1 + size)), std::move(*name)});
        offset += 1 + size;
    }
    return table;
}

std::optional<std::size_t> FontTable::find(std::string_view utf8Name) const
{
    const std::string wanted(utf8Name);
    for (std::size_t index = 0; index < m_entries.size(); ++index) {
        if (sameFontName(m_entries[index].name, wanted))
            return index;
    }
    return std::nullopt;
}

std::size_t FontTable::append(const FontDescription& font)
{
    const std::optional<std::u16string> name = common::utf16FromUtf8(font.name);
    if (!name || name->empty() || name->find(u'\0') != std::u16string::npos)
        throw EngineError("the font name cannot be stored in the document's font table");
    if (m_entries.size() >= kMaxFonts)
        throw EngineError("the document's font table is full");
    const std::string ffn = ffnBytes(font, *name);
    if (ffn.size() > kMaxFfnSize)
        throw EngineError("the font name is too long for the document's font table");
    m_entries.push_back({static_cast<char>(ffn.size()) + ffn, font.name});
    return m_entries.size() - 1;
}

std::string FontTable::serialize() const
{
    std::string bytes;
    common::appendLe16(bytes, static_cast<std::uint16_t>(m_entries.size()));
    common::appendLe16(bytes, 0);
    for (const Entry& entry : m_entries)
        bytes += entry.bytes;
    return bytes;
}

} // namespace glyphmere::docengine
