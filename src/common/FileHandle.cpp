#include "common/FileHandle.h"

#include "common/SystemErrorText.h"

#include <utility>

namespace glyphmere::common {

FileHandle::FileHandle(FileHandle&& other) noexcept : m_native(std::exchange(other.m_native, kNone)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other)
        reset(std::exchange(other.m_native, kNone));
    return *this;
}

std::string readToEnd(const FileHandle& file, std::uint64_t offset)
{
    constexpr std::size_t kChunk = std::size_t{1} << 16;
    std::string bytes;
    for (;;) {
        const std::size_t had = bytes.size();
        bytes.resize(had + kChunk);
        const RangeRead read = file.readAt(offset + had, bytes.data() + had, kChunk);
        bytes.resize(had + read.count);
        if (read.error != 0)
            throw SystemError(read.error);
        if (read.count < kChunk)
            return bytes;
    }
}

} // namespace glyphmere::common
