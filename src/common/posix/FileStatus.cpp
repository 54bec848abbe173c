#include "common/FileStatus.h"

#include "common/posix/PosixStatus.h"
#include "common/SystemErrorText.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace glyphmere::common {

FileStatus fileStatusOf(const struct stat& status)
{
    FileStatus file;
    file.device = static_cast<std::uint64_t>(status.st_dev);
    file.fileId = static_cast<std::uint64_t>(status.st_ino);
    file.size = static_cast<std::uint64_t>(status.st_size);
    file.modifiedSeconds = static_cast<std::int64_t>(status.st_mtim.tv_sec);
    file.modifiedNanoseconds = static_cast<std::uint32_t>(status.st_mtim.tv_nsec);
    file.regular = S_ISREG(status.st_mode);
    file.directory = S_ISDIR(status.st_mode);
    file.mode = static_cast<std::uint32_t>(status.st_mode);
    file.owner = static_cast<std::uint32_t>(status.st_uid);
    file.group = static_cast<std::uint32_t>(status.st_gid);
    return file;
}

FileStatus statusOf(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw SystemError(errno);
    return fileStatusOf(status);
}

bool nameExists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::string resolvedPath(const std::string& path)
{
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    if (!resolved)
        throw SystemError(errno);
    return resolved.get();
}

} // namespace glyphmere::common
