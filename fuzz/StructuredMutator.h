#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace glyphmere::fuzz {

// Changes one field that the engine trusts, so that the fuzz target reaches damaged documents in seconds
// instead of by luck: in a zip package a central directory or local header field (sizes, CRC, method, name,
// extra-field length) or the compressed data; in a part list (markup the target packages itself) a
// well-formedness rule of XML; in a compound file a FIB field, a piece descriptor, the bin table, the font
// table, a character property page, the header, the FAT, the mini FAT, the directory, or its length.
// Returns the new size (at most maxSize); 0 when the input offers nothing to change.
std::size_t mutateStructure(std::uint8_t* data, std::size_t size, std::size_t maxSize, std::minstd_rand& random);

} // namespace glyphmere::fuzz
