#include "batch/SystemAccess.h"

#include "batch/win32/OwnedHandle.h"
#include "platform/win32/Win32FileSystem.h"

#include <stdexcept>

namespace glyphmere::batch::os {
namespace {

using platform::win32::extendedPath;

// Windows keeps no permission bits; a copy gets those of a new file in its folder.
constexpr std::uint32_t kNoPermissionBits = 0644;

[[noreturn]] void failWithLastError() { throw std::runtime_error(lastErrorText()); }

} // namespace

bool listsAreWindowsText() { return true; }

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
