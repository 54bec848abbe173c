#pragma once

#include "common/FileHandle.h"

#include <cstddef>
#include <cstdint>

namespace glyphmere::common {

// The one loop that reads a range of a file by its descriptor and offset (POSIX; FileHandle::readAt
// reads with it): read after read until `size` bytes are in `into`,
// the file ends or a read fails. A read that a signal interrupted is made again, so EINTR is never a
// failure; the descriptor's own offset is left alone.
RangeRead readFileRange(int fd, std::uint64_t offset, char* into, std::size_t size);

} // namespace glyphmere::common
