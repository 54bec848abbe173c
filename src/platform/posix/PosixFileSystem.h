#pragma once

#include "platform/FileSystem.h"

namespace glyphmere::platform::posix {

// The file-system service over the POSIX calls: a name beginning with "." is hidden, nothing has the
// system attribute, and links are followed.
class PosixFileSystem final : public FileSystem {
public:
    std::optional<std::vector<std::string>> listDirectory(const std::string& folder, const std::string& pattern,
                                                          unsigned attributeMask) override;
    // One pass over the listing: an entry's kind comes from the listing, and only a link or an entry
    // of unknown kind is examined on its own.
    std::optional<FolderListing> listFolder(const std::string& folder, const std::string& filePattern) override;
    std::optional<unsigned> attributes(const std::string& path) override;
    std::optional<FolderIdentity> folderIdentity(const std::string& path) override;
    std::optional<std::int64_t> lastChangeTime(const std::string& path) override;
    PathStatus pathStatus(const std::string& path) override;
    FileStart firstBytes(const std::string& path, std::size_t count) override;
};

} // namespace glyphmere::platform::posix
