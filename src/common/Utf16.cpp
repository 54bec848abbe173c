#include "common/Utf16.h"

#include "common/LittleEndian.h"
#include "common/Utf8.h"

namespace glyphmere::common {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

std::string utf8FromUtf16Le(std::string_view bytes)
{
    std::u16string units;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const std::uint16_t unit = *readLe16(bytes, at);
        if (unit == 0)
            break;
        units.push_back(static_cast<char16_t>(unit));
    }
    return utf8FromUtf16(units);
}

std::optional<std::u16string> utf16FromUtf8(std::string_view utf8)
{
    std::u16string utf16;
    while (!utf8.empty()) {
        const std::optional<Utf8Character> character = decodeUtf8(utf8);
        if (!character)
            return std::nullopt;
        const char32_t code = character->codePoint;
        if (code < 0x10000) {
            utf16.push_back(static_cast<char16_t>(code));
        } else {
            utf16.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            utf16.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
        utf8.remove_prefix(character->length);
    }
    return utf16;
}

} // namespace glyphmere::common
