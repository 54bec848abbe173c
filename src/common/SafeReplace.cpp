#include "common/SafeReplace.h"

#include "common/PendingReplacement.h"
#include "common/SystemErrorText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace glyphmere::common {

namespace {

[[noreturn]] void throwSystemError(int error) { throw SystemError(error); }

void writeAll(int fd, const std::string& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throwSystemError(errno);
        written += static_cast<std::size_t>(count);
    }
}

} // namespace

int FileOperations::renameFile(const std::string& from, const std::string& to) const
{
    return ::rename(from.c_str(), to.c_str());
}

int FileOperations::syncFile(int fd) const { return ::fsync(fd); }

const FileOperations& systemFileOperations()
{
    static const FileOperations operations;
    return operations;
}

NewFileAttributes attributesToKeep(const struct stat& status)
{
    NewFileAttributes attributes{status.st_mode & 07777};
    if (::geteuid() == 0) {
        attributes.owner = status.st_uid;
        attributes.group = status.st_gid;
    }
    return attributes;
}

UniqueFd replaceFileSafely(const std::string& targetPath, const NewFileAttributes& attributes,
                           const std::function<void(const std::string&)>& writeTemporary,
                           const FileOperations& operations)
{
    PendingReplacement pending = prepareReplacement(targetPath, attributes, writeTemporary, operations);
    UniqueFd written = pending.readDescriptor();
    pending.commit();
    return written;
}

void writeFileSafely(const std::string& targetPath, const std::string& bytes, const NewFileAttributes& attributes)
{
    replaceFileSafely(targetPath, attributes,
                      [&bytes](const std::string& temporaryPath) { writeWholeFile(temporaryPath, bytes); });
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        throwSystemError(errno);
    writeAll(fd.get(), bytes);
}

std::string readAll(int fd)
{
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throwSystemError(errno);
        if (count == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::string readWholeFile(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid())
        throwSystemError(errno);
    return readAll(fd.get());
}

} // namespace glyphmere::common
