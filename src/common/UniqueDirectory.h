#pragma once

#include <dirent.h>

#include <memory>

namespace glyphmere::common {

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

// An owned directory listing (opendir), closed when the object goes.
using UniqueDirectory = std::unique_ptr<DIR, DirectoryCloser>;

} // namespace glyphmere::common
