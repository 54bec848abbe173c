#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// Little-endian fields of a Word stream, read and written with their bounds checked. A field that does not
// fit is damage: the EngineError names `what` ("the file information block") as the structure that ends
// too early.
std::uint8_t fieldU8(std::string_view bytes, std::size_t offset, const char* what);
std::uint16_t fieldU16(std::string_view bytes, std::size_t offset, const char* what);
std::uint32_t fieldU32(std::string_view bytes, std::size_t offset, const char* what);
void putFieldU16(std::string& bytes, std::size_t offset, std::uint16_t value);
void putFieldU32(std::string& bytes, std::size_t offset, std::uint32_t value);

// The bytes [offset, offset + size) of a stream; EngineError naming `what` when they run past its end.
std::string_view fieldSlice(std::string_view bytes, std::uint64_t offset, std::uint64_t size, const char* what);

// The EngineError for a damaged structure, worded after "the document's structure is damaged (".
[[noreturn]] void refuseDamaged(const std::string& detail);

} // namespace glyphmere::docengine
