#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/LittleEndian.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

// The fixed numbers of the compound file container and checked access to its fields.
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

// The container is damaged: `detail` names the structure, as in "sector chain of the directory loops".
[[noreturn]] inline void failDamaged(const std::string& detail)
{
    throw EngineError(messages::damagedStructure("the compound file's " + detail));
}

// The container's fields. Its layout is checked against the file before they are read, so a field past the
// end of the bytes means the file is damaged, not that the engine reads out of bounds.
template <typename Number>
Number fieldInside(std::optional<Number> field)
{
    if (!field)
        failDamaged("structures run past the end of the file");
    return *field;
}

inline std::uint16_t readLe16(std::string_view bytes, std::size_t at)
{
    return fieldInside(common::readLe16(bytes, at));
}
inline std::uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    return fieldInside(common::readLe32(bytes, at));
}
inline std::uint64_t readLe64(std::string_view bytes, std::size_t at)
{
    return fieldInside(common::readLe64(bytes, at));
}

inline void writeLe32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    if (!common::writeLittleEndian(bytes, at, value))
        failDamaged("structures run past the end of the file");
}

using common::appendLe32Array;
using common::le32ArrayBytes;

// Units of `unitSize` bytes needed to hold `size` bytes.
inline std::uint64_t unitsFor(std::uint64_t size, std::uint64_t unitSize)
{
    return size / unitSize + (size % unitSize != 0);
}

} // namespace glyphmere::docengine::cfb
