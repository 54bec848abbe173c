#include "common/Utf8.h"

namespace glyphmere::common {
namespace {

struct LeadByte {
    std::size_t length = 0; // 0: the byte starts no sequence
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
};

// The second byte's range is narrowed where the lead alone would allow an overlong form (E0, F0), a
// surrogate (ED) or a code point above U+10FFFF (F4).
LeadByte describeLead(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {3, static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {4, static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

} // namespace

std::optional<Utf8Character> decodeUtf8(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (byte(0) < 0x80)
        return Utf8Character{byte(0), 1};
    const LeadByte lead = describeLead(byte(0));
    if (lead.length == 0 || text.size() < lead.length || byte(1) < lead.secondLow || byte(1) > lead.secondHigh)
        return std::nullopt;
    char32_t codePoint = byte(0) & (0xFF >> (lead.length + 1));
    for (std::size_t i = 1; i < lead.length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return std::nullopt;
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    return Utf8Character{codePoint, lead.length};
}

void appendUtf8(std::string& text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
        return;
    }
    const int tail = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(kLead[tail] | (codePoint >> (6 * tail)));
    for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6)
        text += static_cast<char>(0x80 | ((codePoint >> shift) & 0x3F));
}

std::size_t validUtf8Length(std::string_view text)
{
    const auto character = decodeUtf8(text);
    return character ? character->length : 0;
}

std::optional<std::size_t> utf16Length(std::string_view text)
{
    std::size_t units = 0;
    while (!text.empty()) {
        const auto character = decodeUtf8(text);
        if (!character)
            return std::nullopt;
        units += character->codePoint > 0xFFFF ? 2 : 1;
        text.remove_prefix(character->length);
    }
    return units;
}

} // namespace glyphmere::common
