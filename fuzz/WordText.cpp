#include "WordText.h"

#include <cstdint>

namespace glyphmere::fuzz {

namespace {

constexpr std::size_t kClxPairAt = 0x1A2;

std::optional<std::uint32_t> u32(std::string_view bytes, std::size_t at, std::size_t size = 4)
{
    if (at > bytes.size() || bytes.size() - at < size)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The PlcPcd inside the Clx: past the property lists, after the piece table's tag and size.
std::optional<std::string_view> piecePlc(std::string_view clx)
{
    std::size_t at = 0;
    while (at < clx.size() && clx[at] == 1) {
        const auto size = u32(clx, at + 1, 2);
        if (!size)
            return std::nullopt;
        at += 3 + *size;
    }
    const auto size = u32(clx, at + 1);
    if (at >= clx.size() || clx[at] != 2 || !size || *size > clx.size() - at - 5)
        return std::nullopt;
    return clx.substr(at + 5, *size);
}

} // namespace

std::optional<std::string> tableStreamName(std::string_view wordDocument)
{
    const auto flags = u32(wordDocument, 0x0A, 2);
    if (!flags)
        return std::nullopt;
    return *flags & 0x0200 ? "1Table" : "0Table";
}

std::optional<std::u16string> pieceTableText(std::string_view wordDocument, std::string_view table)
{
    const auto fc = u32(wordDocument, kClxPairAt);
    const auto lcb = u32(wordDocument, kClxPairAt + 4);
    if (!fc || !lcb || *fc > table.size() || *lcb > table.size() - *fc)
        return std::nullopt;
    const auto plc = piecePlc(table.substr(*fc, *lcb));
    if (!plc || plc->size() < 16 || (plc->size() - 4) % 12 != 0)
        return std::nullopt;
    const std::size_t count = (plc->size() - 4) / 12;
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t start = *u32(*plc, i * 4), end = *u32(*plc, i * 4 + 4);
        const std::uint32_t place = *u32(*plc, (count + 1) * 4 + i * 8 + 2);
        const bool compressed = place & 0x40000000;
        const std::size_t at = compressed ? (place & 0x3FFFFFFF) / 2 : place;
        if (end < start || end - start > wordDocument.size())
            return std::nullopt;
        for (std::uint32_t cp = 0; cp < end - start; ++cp) {
            const auto unit = compressed ? u32(wordDocument, at + cp, 1) : u32(wordDocument, at + cp * 2, 2);
            if (!unit)
                return std::nullopt;
            text.push_back(static_cast<char16_t>(*unit));
        }
    }
    return text;
}

} // namespace glyphmere::fuzz
