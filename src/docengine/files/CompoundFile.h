#pragma once

#include <cstdint>
#include <string_view>

namespace glyphmere::docengine {

// Whether the OLE compound file open at fd holds a stream named asciiName (compared without regard to
// case, as compound files do). Reads the header, the allocation table entries it needs and the directory
// chain, each bounded by the file's size, so bad sector numbers and loops end the search; a compound file
// too damaged to read answers false.
bool compoundFileHasStream(int fd, std::uint64_t fileSize, std::string_view asciiName);

} // namespace glyphmere::docengine
