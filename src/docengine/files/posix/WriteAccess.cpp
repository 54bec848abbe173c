#include "docengine/files/WriteAccess.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <vector>

namespace glyphmere::docengine {

namespace {

bool userIsInGroup(std::uint32_t group)
{
    if (getegid() == group)
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = getgroups(count, groups.data());
    for (int i = 0; i < filled; ++i) {
        if (groups[static_cast<std::size_t>(i)] == group)
            return true;
    }
    return false;
}

// The permission bits (in the "others" position: 4 read, 2 write, 1 search) of the class that
// applies to the effective user.
std::uint32_t bitsForUser(const common::FileStatus& status)
{
    if (geteuid() == status.owner)
        return (status.mode >> 6) & 07;
    if (userIsInGroup(status.group))
        return (status.mode >> 3) & 07;
    return status.mode & 07;
}

} // namespace

bool allowsWriting(const common::FileStatus& status)
{
    if (geteuid() == 0)
        return (status.mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return (bitsForUser(status) & 02) != 0;
}

bool folderAllowsReplacing(const common::FileStatus& status)
{
    if (geteuid() == 0)
        return (status.mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return (bitsForUser(status) & 03) == 03;
}

bool onReadOnlyFileSystem(const common::FileHandle& file)
{
    struct statvfs fileSystem {};
    return ::fstatvfs(static_cast<int>(file.get()), &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY) != 0;
}

} // namespace glyphmere::docengine
