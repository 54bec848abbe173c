#pragma once

#include "platform/FileSystem.h"

namespace glyphmere::platform::win32 {

// The file-system service over the wide Win32 calls. Patterns are matched by the system's own directory
// listing (which also matches the short alternative names), links are followed, and paths too long for
// the classic limit are handed over in their extended form.
class Win32FileSystem final : public FileSystem {
public:
    std::optional<std::vector<std::string>> listDirectory(const std::string& folder, const std::string& pattern,
                                                          unsigned attributeMask) override;
    std::optional<unsigned> attributes(const std::string& path) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    std::optional<std::int64_t> lastChangeTime(const std::string& path) override;
    PathStatus pathStatus(const std::string& path) override;
    FileStart firstBytes(const std::string& path, std::size_t count) override;
};

// The path as the wide file calls take it: unchanged while it is short, otherwise made absolute and given
// the "\\?\" prefix ("\\?\UNC\" for a network path). reserve counts characters still to be appended.
std::wstring extendedPath(const std::string& path, std::size_t reserve = 0);

} // namespace glyphmere::platform::win32
