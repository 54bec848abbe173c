#pragma once

#include <string_view>

namespace glyphmere::platform::posix {

// Whether name matches pattern as the Windows directory listing matches it: '*' stands for any run of
// characters and '?' for any one character, ASCII letters compare without regard to case, "" and "*.*"
// match every name, and a pattern whose extension is exactly three literal characters also matches
// longer extensions that begin with them ("*.doc" matches "a.docx"), as Windows does through the short
// alternative names.
bool matchesWildcard(std::string_view name, std::string_view pattern);

} // namespace glyphmere::platform::posix
