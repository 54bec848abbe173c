#include "docengine/files/WriteAccess.h"

#include <unistd.h>

#include <vector>

namespace glyphmere::docengine {

namespace {

bool userIsInGroup(gid_t group)
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
mode_t bitsForUser(const struct stat& status)
{
    if (geteuid() == status.st_uid)
        return (status.st_mode >> 6) & 07;
    if (userIsInGroup(status.st_gid))
        return (status.st_mode >> 3) & 07;
    return status.st_mode & 07;
}

} // namespace

bool modeAllowsWriting(const struct stat& status)
{
    if (geteuid() == 0)
        return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return (bitsForUser(status) & 02) != 0;
}

bool folderModeAllowsReplacing(const struct stat& status)
{
    if (geteuid() == 0)
        return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return (bitsForUser(status) & 03) == 03;
}

} // namespace glyphmere::docengine
