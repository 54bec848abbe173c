#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace glyphmere::platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Copies the digits of text, from position pos on, into out; returns how many there were.
std::size_t takeDigits(std::string_view text, std::size_t& pos, std::string& out)
{
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        out += text[pos++];
    return pos - start;
}

} // namespace

std::optional<double> parseNumberText(std::string_view text)
{
    text = trimBlanks(text);
    std::string canonical; // the number rewritten for strtod: sign, digits, '.', exponent
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') // from_chars takes no leading '+'
            canonical += '-';
        ++pos;
    }
    std::size_t digits = takeDigits(text, pos, canonical);
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        canonical += '.';
        ++pos;
        digits += takeDigits(text, pos, canonical);
    }
    if (digits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        canonical += 'e';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            canonical += text[pos++];
        if (takeDigits(text, pos, canonical) == 0)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    // from_chars, unlike strtod, does not depend on the process locale.
    double value = 0;
    const auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (error != std::errc() || end != canonical.data() + canonical.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace glyphmere::platform
