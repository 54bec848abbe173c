#include "batch/SystemAccess.h"

#include "batch/win32/OwnedHandle.h"
#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace glyphmere::batch::os {
namespace {

using platform::win32::extendedPath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Windows keeps no permission bits; a copy gets those of a new file in its folder.
constexpr std::uint32_t kNoPermissionBits = 0644;
constexpr DWORD kChunk = 1u << 20;

[[noreturn]] void failWithLastError() { throw std::runtime_error(lastErrorText()); }

void writeAll(HANDLE file, const std::string& bytes)
{
    for (std::size_t at = 0; at < bytes.size();) {
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, kChunk));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + at, size, &written, nullptr))
            failWithLastError();
        at += written;
    }
}

// A name beside the target that no other run or thread picks at the same time.
std::string temporaryNameBeside(const std::string& path)
{
    static std::atomic<unsigned> count{0};
    return path + ".glyphmere-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count) + ".tmp";
}

} // namespace

bool listsAreWindowsText() { return true; }

std::string readInputFile(const std::string& path)
{
    const OwnedHandle file = ownHandle(CreateFileW(extendedPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        failWithLastError();
    std::string bytes;
    for (;;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kChunk);
        DWORD count = 0;
        if (!ReadFile(file.get(), bytes.data() + at, kChunk, &count, nullptr))
            failWithLastError();
        bytes.resize(at + count);
        if (count == 0)
            return bytes;
    }
}

void writeFileSafely(const std::string& path, const std::string& bytes, std::uint32_t)
{
    const std::string temporary = temporaryNameBeside(path);
    const std::wstring wideTemporary = extendedPath(temporary);
    try {
        const OwnedHandle file = ownHandle(
            CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            failWithLastError();
        writeAll(file.get(), bytes);
        if (!FlushFileBuffers(file.get()))
            failWithLastError();
    } catch (...) {
        DeleteFileW(wideTemporary.c_str());
        throw;
    }
    // The whole new file takes the old one's place in one step, written through to the disk.
    if (!MoveFileExW(wideTemporary.c_str(), extendedPath(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string reason = lastErrorText();
        DeleteFileW(wideTemporary.c_str());
        throw std::runtime_error(reason);
    }
}

std::optional<std::uint32_t> permissionBits(const std::string& path)
{
    if (!pathExists(path))
        return std::nullopt;
    return kNoPermissionBits;
}

bool pathExists(const std::string& path)
{
    return GetFileAttributesW(extendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void createFolders(const std::string& path)
{
    // Each folder from the top down; those above that exist (or may not be created, as a drive's root)
    // are passed over, and only the last one's failure counts.
    for (std::size_t end = path.find_first_of("\\/", 1);; end = path.find_first_of("\\/", end + 1)) {
        const std::string folder = path.substr(0, end);
        const bool created = CreateDirectoryW(extendedPath(folder).c_str(), nullptr) != 0;
        const bool last = end == std::string::npos || end + 1 == path.size();
        if (last) {
            if (!created && GetLastError() != ERROR_ALREADY_EXISTS)
                failWithLastError();
            return;
        }
    }
}

} // namespace glyphmere::batch::os
