#include "platform/FileSystem.h"

namespace glyphmere::platform {

std::optional<std::vector<std::string>> FileSystem::listSubfolders(const std::string& folder,
                                                                   std::vector<std::string>& unexamined) {
    auto names = listDirectory(folder, "", FileAttribute::Directory);
    if (!names)
        return std::nullopt;
    std::erase_if(*names, [&](const std::string& name) {
        const std::optional<unsigned> kind = attributes(folder + name);
        if (!kind)
            unexamined.push_back(name);
        return !kind || (*kind & FileAttribute::Directory) == 0;
    });
    return names;
}

} // namespace glyphmere::platform
