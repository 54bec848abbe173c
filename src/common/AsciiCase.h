#pragma once

#include <string>
#include <string_view>

namespace glyphmere::common {

// The one rule for case in names that are ASCII by definition (member names, entry names, extensions,
// encodings, file-name patterns): only A-Z and a-z are folded; every other byte, UTF-8 included, is kept
// as is. It never depends on the process locale.

char toLowerAscii(char c);
std::string toLowerAscii(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
// Byte order after folding; equal texts under that order keep no order of their own.
bool lessIgnoringCase(std::string_view a, std::string_view b);

} // namespace glyphmere::common
