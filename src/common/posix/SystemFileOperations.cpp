#include "common/SafeReplace.h"

#include "common/SystemErrorText.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace glyphmere::common {

namespace {

void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw SystemError(errno);
        written += static_cast<std::size_t>(count);
    }
}

// Read by read() rather than by offset, so that a pipe can be read too.
std::string readAll(int fd)
{
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw SystemError(errno);
        if (count == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace

int FileOperations::renameFile(const std::string& from, const std::string& to) const
{
    return ::rename(from.c_str(), to.c_str());
}

int FileOperations::syncFile(const FileHandle& file) const { return ::fsync(static_cast<int>(file.get())); }

NewFileAttributes attributesToKeep(const FileStatus& status)
{
    NewFileAttributes attributes{status.mode & 07777};
    if (::geteuid() == 0) {
        attributes.owner = status.owner;
        attributes.group = status.group;
    }
    return attributes;
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        throw SystemError(errno);
    writeAll(fd.get(), bytes);
}

std::string readWholeFile(const std::string& path)
{
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        throw SystemError(errno);
    return readAll(fd.get());
}

} // namespace glyphmere::common
