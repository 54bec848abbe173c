#pragma once

#include <string>

namespace glyphmere::docengine {

// The reason a system call failed with the error number, as a clause that reads after a colon
// ("no space left on the device").
std::string systemErrorText(int error);

// The text with its first letter in lower case, to follow a colon, unless it starts an acronym ("CRC").
std::string asClause(std::string text);

} // namespace glyphmere::docengine
