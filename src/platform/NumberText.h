#pragma once

#include <optional>
#include <string_view>

namespace glyphmere::platform {

// The one rule for numbers typed as text (the size box's check and the engine's font size):
// blanks around, an optional sign, digits with at most one decimal point or one decimal comma,
// an optional exponent. No hexadecimal, no "inf" or "nan"; the value must be finite.
std::optional<double> parseNumberText(std::string_view text);

inline bool isNumeric(std::string_view text) { return parseNumberText(text).has_value(); }

} // namespace glyphmere::platform
