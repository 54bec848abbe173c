#pragma once

#include <map>
#include <string>

namespace glyphmere::docengine::binary_testing {

// Every stream of a compound file as an independent reader (Debian's python3-olefile) reads it, by
// '/'-separated path. Throws std::runtime_error when the reader cannot run or refuses the file.
std::map<std::string, std::string> readWithOlefile(const std::string& fileBytes);

} // namespace glyphmere::docengine::binary_testing
