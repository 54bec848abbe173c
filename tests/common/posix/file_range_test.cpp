#include "common/FileRange.h"

#include "common/UniqueFd.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cerrno>
#include <string>

namespace glyphmere::common {
namespace {

using testing_support::TemporaryFolder;
using testing_support::writeFile;

TEST(FileRange, RangeInsideOrAcrossTheEnd_ReadsWhatTheFileHolds)
{
    TemporaryFolder folder;
    const std::string path = folder.file("bytes");
    writeFile(path, "0123456789");
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    const struct {
        std::uint64_t offset;
        std::size_t size;
        std::string expected;
    } cases[] = {{0, 10, "0123456789"}, {3, 4, "3456"}, {7, 10, "789"}, {10, 1, ""}, {1000, 4, ""}, {0, 0, ""}};
    for (const auto& row : cases) {
        SCOPED_TRACE(std::to_string(row.offset) + "+" + std::to_string(row.size));
        std::string buffer(row.size, '\0');
        const RangeRead read = readFileRange(fd.get(), row.offset, buffer.data(), row.size);
        EXPECT_EQ(read.error, 0);
        EXPECT_EQ(buffer.substr(0, read.count), row.expected);
    }
}

TEST(FileRange, FailedRead_ReportsTheSystemError)
{
    TemporaryFolder folder;
    const UniqueFd directory(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    char buffer[4];
    const RangeRead read = readFileRange(directory.get(), 0, buffer, sizeof buffer);
    EXPECT_EQ(read.error, EISDIR);
    EXPECT_EQ(read.count, 0u);
    EXPECT_EQ(readFileRange(-1, 0, buffer, sizeof buffer).error, EBADF);
}

} // namespace
} // namespace glyphmere::common
