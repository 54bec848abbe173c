#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "docengine/files/EngineError.h"
#include "docengine/files/PackageMessages.h"

// The fixed numbers of the compound file container and little-endian access to its bytes.
namespace glyphmere::docengine::cfb {

inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSectorMark = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSectorMark = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kHeaderFatSlots = 109;
inline constexpr std::size_t kDirectoryEntrySize = 128;
inline constexpr std::size_t kMiniSectorSize = 64;
inline constexpr std::uint64_t kMiniStreamCutoff = 4096;
inline constexpr std::uint64_t kVersion3SizeLimit = 0x80000000;

// Header fields.
inline constexpr std::size_t kMajorVersionAt = 0x1A;
inline constexpr std::size_t kByteOrderAt = 0x1C;
inline constexpr std::size_t kSectorShiftAt = 0x1E;
inline constexpr std::size_t kMiniSectorShiftAt = 0x20;
inline constexpr std::size_t kFatSectorCountAt = 0x2C;
inline constexpr std::size_t kDirectoryStartAt = 0x30;
inline constexpr std::size_t kMiniStreamCutoffAt = 0x38;
inline constexpr std::size_t kMiniFatStartAt = 0x3C;
inline constexpr std::size_t kMiniFatSectorCountAt = 0x40;
inline constexpr std::size_t kDifatStartAt = 0x44;
inline constexpr std::size_t kDifatSectorCountAt = 0x48;
inline constexpr std::size_t kHeaderFatSlotsAt = 0x4C;

// Directory entry fields.
inline constexpr std::size_t kNameLengthAt = 0x40;
inline constexpr std::size_t kEntryTypeAt = 0x42;
inline constexpr std::size_t kLeftSiblingAt = 0x44;
inline constexpr std::size_t kRightSiblingAt = 0x48;
inline constexpr std::size_t kChildAt = 0x4C;
inline constexpr std::size_t kStartSectorAt = 0x74;
inline constexpr std::size_t kStreamSizeAt = 0x78;

inline constexpr std::uint8_t kStorageEntry = 1;
inline constexpr std::uint8_t kStreamEntry = 2;
inline constexpr std::uint8_t kRootEntry = 5;

inline std::uint16_t readLe16(std::string_view bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                  << 8);
}

inline std::uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    return readLe16(bytes, at) | static_cast<std::uint32_t>(readLe16(bytes, at + 2)) << 16;
}

inline std::uint64_t readLe64(std::string_view bytes, std::size_t at)
{
    return readLe32(bytes, at) | static_cast<std::uint64_t>(readLe32(bytes, at + 4)) << 32;
}

inline void writeLe32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// Appends the little-endian 32-bit numbers that fill `bytes` (a table sector) to `table`.
inline void appendLe32Array(std::vector<std::uint32_t>& table, std::string_view bytes)
{
    const std::size_t first = table.size();
    table.resize(first + bytes.size() / 4);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(table.data() + first, bytes.data(), bytes.size() / 4 * 4);
    } else {
        for (std::size_t i = 0; i < bytes.size() / 4; ++i)
            table[first + i] = readLe32(bytes, i * 4);
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
            writeLe32(bytes, i * 4, values[i]);
    }
    return bytes;
}

// Units of `unitSize` bytes needed to hold `size` bytes.
inline std::uint64_t unitsFor(std::uint64_t size, std::uint64_t unitSize)
{
    return size / unitSize + (size % unitSize != 0);
}

// The container is damaged: `detail` names the structure, as in "sector chain of the directory loops".
[[noreturn]] inline void failDamaged(const std::string& detail)
{
    throw EngineError(messages::damagedStructure("the compound file's " + detail));
}

} // namespace glyphmere::docengine::cfb
