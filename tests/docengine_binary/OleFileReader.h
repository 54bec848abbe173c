#pragma once

#include <map>
#include <string>

namespace glyphmere::docengine::binary_testing {

// Checks that an independent reader of compound files (Debian's python3-olefile) reads every stream of the file
// as expected (by '/'-separated path) and no other stream. The file's bytes are the same on every system, so
// the POSIX test programs make the check and the Windows ones, with no Python to run, leave it to them.
void expectOutsideReaderReads(const std::string& fileBytes, const std::map<std::string, std::string>& expected);

} // namespace glyphmere::docengine::binary_testing
