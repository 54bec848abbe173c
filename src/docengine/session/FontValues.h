#pragma once

#include "platform/Variant.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// Word's limit on a font name, in UTF-16 code units.
inline constexpr std::size_t kMaxFontNameLength = 31;

inline constexpr const char* kFontNameEmpty = "the font name is empty";
inline constexpr const char* kFontNameTooLong = "the font name is longer than 31 characters";
inline constexpr const char* kFontNameNotText = "the font name contains characters that cannot be stored";
inline constexpr const char* kFontSizeOutOfRange = "the font size must be between 1 and 1638";
inline constexpr const char* kFontSizeNotNumber = "the font size is not a number";

// The font name from an automation value; AutomationError when it is empty, too long, not valid UTF-8
// or holds control characters (which the markup cannot carry).
std::string checkedFontName(const platform::Variant& value);

// The size in half points from text (the shared number rule) or a number: points rounded to the
// nearest half point, halves up. AutomationError outside 1 to 1638 points or when not a number.
int halfPointsFromSize(const platform::Variant& value);

} // namespace glyphmere::docengine
