#include "batch/SafeWrite.h"

#include "docengine/files/SystemErrorText.h"
#include "docengine/files/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace glyphmere::batch {
namespace {

using docengine::UniqueFd;

[[noreturn]] void failWithSystemError()
{
    throw std::runtime_error(docengine::systemErrorText(errno));
}

void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            failWithSystemError();
        written += static_cast<std::size_t>(count);
    }
}

void fillAndReplace(int fd, const std::string& temporary, const std::string& path, const std::string& bytes,
                    mode_t mode)
{
    writeAll(fd, bytes);
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0)
        failWithSystemError();
}

} // namespace

void writeFileSafely(const std::string& path, const std::string& bytes, mode_t mode)
{
    std::string temporary = path + ".XXXXXX";
    UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid())
        failWithSystemError();
    try {
        fillAndReplace(fd.get(), temporary, path, bytes, mode);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

std::string readWholeFile(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        failWithSystemError();
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            failWithSystemError();
        if (count == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace glyphmere::batch
