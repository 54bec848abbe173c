#include "common/FilePath.h"

namespace glyphmere::common {

namespace {

// Windows takes both separators; a drive's root ("C:\") and a bare drive ("C:") keep their own form.
std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

} // namespace

std::string folderOf(const std::string& path)
{
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    if (separator == 0 || (separator == 2 && path[1] == ':'))
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(2) : path;
    return path.substr(separator + 1);
}

} // namespace glyphmere::common
