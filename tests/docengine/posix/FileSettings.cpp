#include "package_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace glyphmere::docengine::package_testing {

void touchNanoseconds(const std::string& path)
{
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    struct timespec times[2] = {status.st_atim, status.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void giveDistinctSettings(const std::string& path) { ASSERT_EQ(::chmod(path.c_str(), 0640), 0) << path; }

bool hasDistinctSettings(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && (status.st_mode & 07777) == 0640;
}

} // namespace glyphmere::docengine::package_testing
