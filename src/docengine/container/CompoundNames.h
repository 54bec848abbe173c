#pragma once

#include <string>
#include <string_view>

namespace glyphmere::docengine::cfb {

// The key under which the container compares names: upper case for ASCII and Latin-1 letters, every other
// character as it is. Invalid UTF-8 bytes stand for themselves.
std::string comparisonKey(std::string_view utf8);

// A path as a reason shows it: control characters (as in "\001CompObj") left out.
std::string displayPath(std::string_view utf8);

} // namespace glyphmere::docengine::cfb
