#pragma once

#include <cstddef>
#include <cstdint>

namespace glyphmere::common {

// What a read of a range of a file got: `count` bytes, fewer than asked only where the file ends or a read
// failed, and then the system's error number (0 when no read failed).
struct RangeRead {
    std::size_t count = 0;
    int error = 0;
};

// The one loop that reads a range of a file by its offset: read after read until `size` bytes are in `into`,
// the file ends or a read fails. A read that a signal interrupted is made again, so EINTR is never a
// failure; the descriptor's own offset is left alone.
RangeRead readFileRange(int fd, std::uint64_t offset, char* into, std::size_t size);

} // namespace glyphmere::common
