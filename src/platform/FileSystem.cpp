#include "platform/FileSystem.h"

namespace glyphmere::platform {

std::optional<FolderListing> FileSystem::listFolder(const std::string& folder, const std::string& filePattern)
{
    auto names = listDirectory(folder, "", FileAttribute::Directory);
    auto files = listDirectory(folder, filePattern, FileAttribute::Hidden | FileAttribute::System);
    if (!names || !files)
        return std::nullopt;
    FolderListing listing{{}, std::move(*files), {}};
    for (std::string& name : *names) {
        const std::optional<unsigned> kind = attributes(folder + name);
        if (!kind)
            listing.unexamined.push_back(std::move(name));
        else if ((*kind & FileAttribute::Directory) != 0)
            listing.subfolders.push_back(std::move(name));
    }
    return listing;
}

} // namespace glyphmere::platform
