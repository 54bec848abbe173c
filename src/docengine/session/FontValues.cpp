#include "docengine/session/FontValues.h"

#include "platform/AutomationError.h"
#include "platform/NumberText.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace glyphmere::docengine {
namespace {

// The number of bytes of the UTF-8 sequence that starts with lead, or 0 when lead cannot start one.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool hasControlCharacter(std::string_view text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

std::optional<double> sizeInPoints(const platform::Variant& value)
{
    using Kind = platform::Variant::Kind;
    switch (value.kind()) {
    case Kind::Text:
        return platform::parseNumberText(value.toText());
    case Kind::Int32:
    case Kind::Double:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

} // namespace

std::size_t utf16Length(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(utf8[i]));
        if (length == 0 || i + length > utf8.size())
            return std::numeric_limits<std::size_t>::max();
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80)
                return std::numeric_limits<std::size_t>::max();
        }
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

std::string checkedFontName(const platform::Variant& value)
{
    if (value.isObject() || value.isMissing())
        throw platform::AutomationError(kFontNameNotText);
    const std::string name = value.toText();
    if (name.empty())
        throw platform::AutomationError(kFontNameEmpty);
    const std::size_t length = utf16Length(name);
    if (length == std::numeric_limits<std::size_t>::max() || hasControlCharacter(name))
        throw platform::AutomationError(kFontNameNotText);
    if (length > kMaxFontNameLength)
        throw platform::AutomationError(kFontNameTooLong);
    return name;
}

int halfPointsFromSize(const platform::Variant& value)
{
    const std::optional<double> points = sizeInPoints(value);
    if (!points || !std::isfinite(*points))
        throw platform::AutomationError(kFontSizeNotNumber);
    if (!(*points >= 1 && *points <= 1638))
        throw platform::AutomationError(kFontSizeOutOfRange);
    return static_cast<int>(std::floor(*points * 2 + 0.5));
}

} // namespace glyphmere::docengine
