#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::common {

// The one conversion between UTF-16 and UTF-8. UTF-16 read from a file may hold a surrogate without its
// partner; each such unit becomes U+FFFD, so the UTF-8 made from it is always valid.
std::string utf8FromUtf16(std::u16string_view utf16);

// The same for little-endian UTF-16 bytes, up to the first NUL unit or the last whole unit.
std::string utf8FromUtf16Le(std::string_view bytes);

// UTF-8 text as UTF-16; nullopt when it is not valid UTF-8 (by the rule of Utf8.h).
std::optional<std::u16string> utf16FromUtf8(std::string_view utf8);

} // namespace glyphmere::common
