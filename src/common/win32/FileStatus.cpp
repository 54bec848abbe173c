#include "common/FileStatus.h"

#include "common/SystemErrorText.h"
#include "common/win32/Win32Status.h"
#include "common/win32/WidePath.h"

#include <memory>

namespace glyphmere::common {

namespace {

// FILETIME counts 100-nanosecond intervals since 1601.
constexpr std::uint64_t kIntervalsPerSecond = 10'000'000;
constexpr DWORD kLongestPath = 32768;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Opened to read its attributes only, sharing everything: a folder too, and a file another program holds.
UniqueHandle openToExamine(const std::string& path)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE handle = CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw SystemError(static_cast<int>(GetLastError()));
    return UniqueHandle(handle);
}

} // namespace

FileStatus statusOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information))
        throw SystemError(static_cast<int>(GetLastError()));
    FileStatus status;
    status.device = information.dwVolumeSerialNumber;
    status.fileId = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    status.size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    const std::uint64_t modified =
        (std::uint64_t{information.ftLastWriteTime.dwHighDateTime} << 32) | information.ftLastWriteTime.dwLowDateTime;
    status.modifiedSeconds = static_cast<std::int64_t>(modified / kIntervalsPerSecond);
    status.modifiedNanoseconds = static_cast<std::uint32_t>(modified % kIntervalsPerSecond * 100);
    status.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.regular = !status.directory && GetFileType(handle) == FILE_TYPE_DISK;
    status.mode = information.dwFileAttributes;
    return status;
}

FileStatus statusOf(const std::string& path) { return statusOfHandle(openToExamine(path).get()); }

bool nameExists(const std::string& path)
{
    try {
        return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (const SystemError&) {
        return false; // no valid UTF-8, so no such name
    }
}

std::string resolvedPath(const std::string& path)
{
    const UniqueHandle file = openToExamine(path);
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    // Room for the longest path the system has, so one call does.
    std::wstring resolved(kLongestPath, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file.get(), resolved.data(), kLongestPath, flags);
    // Some implementations (Wine's) cannot name a long path this way; the path made absolute names the
    // same file unless a folder on the way is a link, which a document's own folder rarely is.
    if (length == 0 && GetLastError() == ERROR_MORE_DATA)
        return utf8Path(fullPath(widePath(path)));
    if (length == 0 || length >= kLongestPath)
        throw SystemError(static_cast<int>(GetLastError()));
    resolved.resize(length);
    return utf8Path(resolved);
}

} // namespace glyphmere::common
