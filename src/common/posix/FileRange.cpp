#include "common/FileRange.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace glyphmere::common {

RangeRead readFileRange(int fd, std::uint64_t offset, char* into, std::size_t size)
{
    RangeRead result;
    while (result.count < size) {
        const ssize_t got =
            ::pread(fd, into + result.count, size - result.count, static_cast<off_t>(offset + result.count));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = errno;
            break;
        }
        if (got == 0)
            break;
        result.count += static_cast<std::size_t>(got);
    }
    return result;
}

} // namespace glyphmere::common
