#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::common {

// The one rule for UTF-8: a sequence is valid when it is the shortest form of a code point up to U+10FFFF
// that is no surrogate. Every check and every decoder of the program uses it.

struct Utf8Character {
    char32_t codePoint = 0;
    std::size_t length = 0; // bytes, 1 to 4
};

// The character that starts text; nullopt when text is empty or does not start with a valid sequence.
std::optional<Utf8Character> decodeUtf8(std::string_view text);

// The byte length of the valid sequence that starts text, or 0 (empty, or no valid sequence there).
std::size_t validUtf8Length(std::string_view text);

// Appends the UTF-8 form of codePoint (a code point up to U+10FFFF that is no surrogate) to text.
void appendUtf8(std::string& text, char32_t codePoint);

// The length of valid UTF-8 text in UTF-16 code units; nullopt when the text is not valid UTF-8.
std::optional<std::size_t> utf16Length(std::string_view text);

} // namespace glyphmere::common
