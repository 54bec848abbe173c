#include "docengine/binary/CompoundNames.h"

#include "docengine/binary/CompoundFileFormat.h"

#include <algorithm>

namespace glyphmere::docengine::cfb {

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

char32_t upperCase(char32_t c)
{
    const bool asciiLower = c >= 'a' && c <= 'z';
    const bool latin1Lower = c >= 0xE0 && c <= 0xFE && c != 0xF7;
    return asciiLower || latin1Lower ? c - 0x20 : c;
}

} // namespace

std::string utf8FromUtf16Le(std::string_view bytes)
{
    std::string out;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        char32_t unit = readLe16(bytes, at);
        if (unit == 0)
            break;
        if (isHighSurrogate(unit) && at + 3 < bytes.size() && isLowSurrogate(readLe16(bytes, at + 2))) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (readLe16(bytes, at + 2) - 0xDC00);
            at += 2;
        }
        appendUtf8(out, unit);
    }
    return out;
}

std::string comparisonKey(std::string_view utf8)
{
    std::string key;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const bool twoByteLatin = (lead == 0xC3 || lead == 0xC2) && at + 1 < utf8.size();
        if (!twoByteLatin) {
            key += static_cast<char>(lead < 0x80 ? upperCase(lead) : lead);
            ++at;
            continue;
        }
        const char32_t c = (lead & 0x1F) << 6 | (static_cast<unsigned char>(utf8[at + 1]) & 0x3F);
        appendUtf8(key, upperCase(c));
        at += 2;
    }
    return key;
}

std::string displayPath(std::string_view utf8)
{
    std::string shown;
    std::copy_if(utf8.begin(), utf8.end(), std::back_inserter(shown),
                 [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
    return shown;
}

} // namespace glyphmere::docengine::cfb
