#pragma once

#include <string>
#include <string_view>

namespace glyphmere::docengine::cfb {

// A directory entry's UTF-16 name (little-endian bytes, up to the first NUL) as UTF-8.
std::string utf8FromUtf16Le(std::string_view bytes);

// The key under which the container compares names: upper case for ASCII and Latin-1 letters, every other
// character as it is. Invalid UTF-8 bytes stand for themselves.
std::string comparisonKey(std::string_view utf8);

// A path as a reason shows it: control characters (as in "\001CompObj") left out.
std::string displayPath(std::string_view utf8);

} // namespace glyphmere::docengine::cfb
