#pragma once

#include <string>

namespace glyphmere::common {

// The folder part of a path ("." for a bare name, "/" for a file in the root folder).
std::string folderOf(const std::string& path);

// The last part of a path: the file's own name.
std::string fileNameOf(const std::string& path);

} // namespace glyphmere::common
