#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::common {

// The one reader and writer of little-endian numbers in file structures (zip records, compound files,
// Word's binary structures). A read that does not fit in the bytes reports nullopt rather than reading past
// their end; each caller turns that into its own refusal, naming the structure that is cut short.

// The number of `width` bytes (1 to 8) at `at`.
inline std::optional<std::uint64_t> readLittleEndian(std::string_view bytes, std::uint64_t at, std::size_t width)
{
    if (width > 8 || at > bytes.size() || bytes.size() - at < width)
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

template <std::unsigned_integral Number>
std::optional<Number> readLittleEndian(std::string_view bytes, std::uint64_t at)
{
    const std::optional<std::uint64_t> value = readLittleEndian(bytes, at, sizeof(Number));
    return value ? std::optional<Number>(static_cast<Number>(*value)) : std::nullopt;
}

inline std::optional<std::uint16_t> readLe16(std::string_view bytes, std::uint64_t at)
{
    return readLittleEndian<std::uint16_t>(bytes, at);
}

inline std::optional<std::uint32_t> readLe32(std::string_view bytes, std::uint64_t at)
{
    return readLittleEndian<std::uint32_t>(bytes, at);
}

inline std::optional<std::uint64_t> readLe64(std::string_view bytes, std::uint64_t at)
{
    return readLittleEndian<std::uint64_t>(bytes, at);
}

// Writes value over the bytes at `at`; false, and nothing written, when they do not all lie inside.
template <std::unsigned_integral Number>
bool writeLittleEndian(std::string& bytes, std::uint64_t at, Number value)
{
    if (at > bytes.size() || bytes.size() - at < sizeof(Number))
        return false;
    for (std::size_t i = 0; i < sizeof(Number); ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return true;
}

template <std::unsigned_integral Number>
void appendLittleEndian(std::string& bytes, Number value)
{
    for (std::size_t i = 0; i < sizeof(Number); ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline void appendLe16(std::string& bytes, std::uint16_t value) { appendLittleEndian(bytes, value); }
inline void appendLe32(std::string& bytes, std::uint32_t value) { appendLittleEndian(bytes, value); }

// Appends the 32-bit numbers that fill `bytes` (a whole table sector, read in one step) to `table`; a
// trailing part shorter than a number is left out.
inline void appendLe32Array(std::vector<std::uint32_t>& table, std::string_view bytes)
{
    const std::size_t first = table.size();
    const std::size_t count = bytes.size() / 4;
    table.resize(first + count);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(table.data() + first, bytes.data(), count * 4);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            table[first + i] = *readLe32(bytes, i * 4);
    }
}

// The little-endian bytes of `count` 32-bit numbers.
inline std::string le32ArrayBytes(const std::uint32_t* values, std::size_t count)
{
    std::string bytes(count * 4, '\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), values, count * 4);
    } else {
        for (std::size_t i = 0; i < count; ++i)
            writeLittleEndian(bytes, i * 4, values[i]);
    }
    return bytes;
}

} // namespace glyphmere::common
