#pragma once

#include <string>

namespace glyphmere::docengine {

// The reason a system call failed with the error number, as a clause that reads after a colon
// ("no space left on the device").
std::string systemErrorText(int error);

} // namespace glyphmere::docengine
