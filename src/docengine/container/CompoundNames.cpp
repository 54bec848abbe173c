#include "docengine/container/CompoundNames.h"

#include "common/Utf8.h"

#include <algorithm>

namespace glyphmere::docengine::cfb {

namespace {

char32_t upperCase(char32_t c)
{
    const bool asciiLower = c >= 'a' && c <= 'z';
    const bool latin1Lower = c >= 0xE0 && c <= 0xFE && c != 0xF7;
    return asciiLower || latin1Lower ? c - 0x20 : c;
}

} // namespace

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
        common::appendUtf8(key, upperCase(c));
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
