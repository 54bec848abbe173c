#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// Little-endian integers of Word's structures. The readers do not check bounds: callers check the whole
// structure against its stream first and name it in their refusal.
inline std::uint16_t loadU16(std::string_view bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

inline std::uint32_t loadU32(std::string_view bytes, std::size_t offset)
{
    return loadU16(bytes, offset) | static_cast<std::uint32_t>(loadU16(bytes, offset + 2)) << 16;
}

inline void appendU16(std::string& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

inline void appendU32(std::string& bytes, std::uint32_t value)
{
    appendU16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    appendU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

} // namespace glyphmere::docengine
