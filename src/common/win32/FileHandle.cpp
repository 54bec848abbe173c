#include "common/FileHandle.h"

#include "common/SystemErrorText.h"
#include "common/win32/Win32Status.h"
#include "common/win32/WidePath.h"

#include <algorithm>
#include <limits>

namespace glyphmere::common {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// ReadFile and WriteFile take at most this many bytes at a time.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

[[noreturn]] void throwLastError() { throw SystemError(static_cast<int>(GetLastError())); }

FileHandle openOrThrow(const std::string& path, DWORD access, DWORD flags)
{
    const HANDLE handle =
        CreateFileW(widePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throwLastError();
    return FileHandle(reinterpret_cast<FileHandle::Native>(handle));
}

OVERLAPPED at(std::uint64_t offset)
{
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

} // namespace

// Sharing reading, writing and deletion, so a program that has the document open (Word holds it open for
// writing) is not disturbed, and our own new file can be put in place while we read the old one.
FileHandle FileHandle::openForReading(const std::string& path)
{
    return openOrThrow(path, GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
}

FileHandle FileHandle::openForWriting(const std::string& path)
{
    return openOrThrow(path, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OPEN_REPARSE_POINT);
}

void FileHandle::reset(Native native)
{
    if (valid())
        CloseHandle(handleOf(m_native));
    m_native = native;
}

FileHandle FileHandle::duplicate() const
{
    HANDLE copy = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, handleOf(m_native), process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        throwLastError();
    return FileHandle(reinterpret_cast<Native>(copy));
}

FileStatus FileHandle::status() const { return statusOfHandle(handleOf(m_native)); }

RangeRead FileHandle::readAt(std::uint64_t offset, char* into, std::size_t size) const
{
    RangeRead result;
    while (result.count < size) {
        OVERLAPPED overlapped = at(offset + result.count);
        const auto wanted = static_cast<DWORD>(std::min(size - result.count, kLargestTransfer));
        DWORD got = 0;
        if (!ReadFile(handleOf(m_native), into + result.count, wanted, &got, &overlapped)) {
            const DWORD error = GetLastError();
            result.error = error == ERROR_HANDLE_EOF ? 0 : static_cast<int>(error);
            break;
        }
        if (got == 0)
            break;
        result.count += got;
    }
    return result;
}

void FileHandle::writeAt(std::uint64_t offset, const char* data, std::size_t size) const
{
    while (size > 0) {
        OVERLAPPED overlapped = at(offset);
        DWORD written = 0;
        const auto wanted = static_cast<DWORD>(std::min(size, kLargestTransfer));
        if (!WriteFile(handleOf(m_native), data, wanted, &written, &overlapped))
            throwLastError();
        data += written;
        size -= written;
        offset += written;
    }
}

void FileHandle::truncate(std::uint64_t size) const
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handleOf(m_native), FileEndOfFileInfo, &end, sizeof end))
        throwLastError();
}

} // namespace glyphmere::common
