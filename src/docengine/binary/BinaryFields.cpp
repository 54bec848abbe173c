#include "docengine/binary/BinaryFields.h"

#include "common/LittleEndian.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <optional>
#include <stdexcept>

namespace glyphmere::docengine {

namespace {

void requireRange(std::string_view bytes, std::uint64_t offset, std::uint64_t size, const char* what)
{
    if (offset > bytes.size() || size > bytes.size() - offset)
        refuseDamaged(std::string(what) + " runs past the end of its stream");
}

template <typename Number>
Number fieldOf(std::optional<Number> field, const char* what)
{
    if (!field)
        refuseDamaged(std::string(what) + " runs past the end of its stream");
    return *field;
}

} // namespace

void refuseDamaged(const std::string& detail) { throw EngineError(messages::damagedStructure(detail)); }

std::uint8_t fieldU8(std::string_view bytes, std::size_t offset, const char* what)
{
    return fieldOf(common::readLittleEndian<std::uint8_t>(bytes, offset), what);
}

std::uint16_t fieldU16(std::string_view bytes, std::size_t offset, const char* what)
{
    return fieldOf(common::readLe16(bytes, offset), what);
}

std::uint32_t fieldU32(std::string_view bytes, std::size_t offset, const char* what)
{
    return fieldOf(common::readLe32(bytes, offset), what);
}

void putFieldU16(std::string& bytes, std::size_t offset, std::uint16_t value)
{
    // The caller writes only inside what it read; anything else is the engine's own fault.
    if (!common::writeLittleEndian(bytes, offset, value))
        throw std::out_of_range("a Word field is written outside its stream");
}

void putFieldU32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    if (!common::writeLittleEndian(bytes, offset, value))
        throw std::out_of_range("a Word field is written outside its stream");
}

std::string_view fieldSlice(std::string_view bytes, std::uint64_t offset, std::uint64_t size, const char* what)
{
    requireRange(bytes, offset, size, what);
    return bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

} // namespace glyphmere::docengine
