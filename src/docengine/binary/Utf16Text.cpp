#include "docengine/binary/Utf16Text.h"

#include <cstdint>

namespace glyphmere::docengine {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t code)
{
    const auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | code >> 6);
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | code >> 12);
        byte(0x80 | (code >> 6 & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | code >> 18);
        byte(0x80 | (code >> 12 & 0x3F));
        byte(0x80 | (code >> 6 & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

// The code point starting at utf8[i], advancing i past it; nullopt for an invalid sequence.
std::optional<char32_t> decodeUtf8(std::string_view utf8, std::size_t& i)
{
    const unsigned char lead = static_cast<unsigned char>(utf8[i++]);
    if (lead < 0x80)
        return lead;
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || lead > 0xF4 || utf8.size() - i < extra)
        return std::nullopt;
    char32_t code = lead & (0x3F >> extra);
    for (std::size_t k = 0; k < extra; ++k) {
        const unsigned char next = static_cast<unsigned char>(utf8[i++]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        code = code << 6 | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || isHighSurrogate(code) || isLowSurrogate(code))
        return std::nullopt;
    return code;
}

} // namespace

std::string utf8FromUtf16(std::u16string_view utf16)
{
    std::string utf8;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (isHighSurrogate(code) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1]))
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (isHighSurrogate(code) || isLowSurrogate(code))
            code = kReplacement;
        appendUtf8(utf8, code);
    }
    return utf8;
}

std::optional<std::u16string> utf16FromUtf8(std::string_view utf8)
{
    std::u16string utf16;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::optional<char32_t> code = decodeUtf8(utf8, i);
        if (!code)
            return std::nullopt;
        if (*code < 0x10000) {
            utf16.push_back(static_cast<char16_t>(*code));
        } else {
            utf16.push_back(static_cast<char16_t>(0xD800 + ((*code - 0x10000) >> 10)));
            utf16.push_back(static_cast<char16_t>(0xDC00 + ((*code - 0x10000) & 0x3FF)));
        }
    }
    return utf16;
}

} // namespace glyphmere::docengine
