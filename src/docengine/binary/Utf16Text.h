#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8FromUtf16(std::u16string_view utf16);

// UTF-8 text as UTF-16; nullopt when it is not valid UTF-8 (overlong forms and surrogates included).
std::optional<std::u16string> utf16FromUtf8(std::string_view utf8);

} // namespace glyphmere::docengine
