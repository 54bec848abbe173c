#include "docengine/binary/BinaryFields.h"

#include "docengine/files/EngineError.h"
#include "docengine/files/PackageMessages.h"

namespace glyphmere::docengine {

namespace {

void requireRange(std::string_view bytes, std::uint64_t offset, std::uint64_t size, const char* what)
{
    if (offset > bytes.size() || size > bytes.size() - offset)
        refuseDamaged(std::string(what) + " runs past the end of its stream");
}

} // namespace

void refuseDamaged(const std::string& detail) { throw EngineError(messages::damagedStructure(detail)); }

std::uint8_t fieldU8(std::string_view bytes, std::size_t offset, const char* what)
{
    requireRange(bytes, offset, 1, what);
    return static_cast<std::uint8_t>(bytes[offset]);
}

std::uint16_t fieldU16(std::string_view bytes, std::size_t offset, const char* what)
{
    requireRange(bytes, offset, 2, what);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[offset]) |
                                      static_cast<std::uint8_t>(bytes[offset + 1]) << 8);
}

std::uint32_t fieldU32(std::string_view bytes, std::size_t offset, const char* what)
{
    requireRange(bytes, offset, 4, what);
    return fieldU16(bytes, offset, what) | static_cast<std::uint32_t>(fieldU16(bytes, offset + 2, what)) << 16;
}

void putFieldU16(std::string& bytes, std::size_t offset, std::uint16_t value)
{
    bytes.at(offset + 1); // bounds: the caller writes only inside what it read
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void putFieldU32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    putFieldU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    putFieldU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string_view fieldSlice(std::string_view bytes, std::uint64_t offset, std::uint64_t size, const char* what)
{
    requireRange(bytes, offset, size, what);
    return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

} // namespace glyphmere::docengine
