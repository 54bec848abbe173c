#include "package_test_support.h"

#include "support/win32/WindowsFiles.h"

#include <gtest/gtest.h>

namespace glyphmere::docengine::package_testing {

// Windows keeps times in steps of 100 nanoseconds.
void touchNanoseconds(const std::string& path)
{
    const HANDLE file = CreateFileW(testing_support::wideExtended(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME modified{};
    const bool read = GetFileTime(file, nullptr, nullptr, &modified);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = modified.dwLowDateTime;
    ticks.HighPart = modified.dwHighDateTime;
    ++ticks.QuadPart;
    modified.dwLowDateTime = ticks.LowPart;
    modified.dwHighDateTime = ticks.HighPart;
    const bool written = read && SetFileTime(file, nullptr, nullptr, &modified);
    CloseHandle(file);
    ASSERT_TRUE(written) << path;
}

namespace {

constexpr DWORD kDistinctAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;

} // namespace

void giveDistinctSettings(const std::string& path)
{
    ASSERT_TRUE(SetFileAttributesW(testing_support::wideExtended(path).c_str(), kDistinctAttributes)) << path;
}

bool hasDistinctSettings(const std::string& path)
{
    return GetFileAttributesW(testing_support::wideExtended(path).c_str()) == kDistinctAttributes;
}

} // namespace glyphmere::docengine::package_testing
