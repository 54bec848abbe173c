#include "docengine/session/FontValues.h"

#include "common/Utf8.h"
#include "platform/AutomationError.h"
#include "platform/NumberText.h"

#include <cmath>
#include <optional>

namespace glyphmere::docengine {
namespace {

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

std::string checkedFontName(const platform::Variant& value)
{
    if (value.isObject() || value.isMissing())
        throw platform::AutomationError(kFontNameNotText);
    const std::string name = value.toText();
    if (name.empty())
        throw platform::AutomationError(kFontNameEmpty);
    // Word counts the name in UTF-16 units.
    const std::optional<std::size_t> length = common::utf16Length(name);
    if (!length || hasControlCharacter(name))
        throw platform::AutomationError(kFontNameNotText);
    if (*length > kMaxFontNameLength)
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
