#include "docengine/files/LockFiles.h"

#include "common/FileStatus.h"
#include "common/Utf8.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace glyphmere::docengine {

namespace {

// The byte length of the character that starts at from; a byte that starts no valid UTF-8 sequence (a
// name may hold any bytes) counts as a character of its own.
std::size_t firstCharacterBytes(const std::string& text, std::size_t from)
{
    return std::max<std::size_t>(common::validUtf8Length(std::string_view(text).substr(from)), 1);
}

// Word counts the name in UTF-16 units; a character above U+FFFF takes two of them.
std::size_t utf16Length(const std::string& text)
{
    std::size_t units = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t bytes = firstCharacterBytes(text, at);
        units += bytes == 4 ? 2 : 1;
        at += bytes;
    }
    return units;
}

std::string wordOwnerFileName(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::size_t length = utf16Length(stem);
    const std::size_t dropped = length >= 8 ? 2 : length == 7 ? 1 : 0;
    std::size_t from = 0;
    for (std::size_t i = 0; i < dropped; ++i)
        from += firstCharacterBytes(fileName, from);
    return "~$" + fileName.substr(from);
}

} // namespace

std::vector<std::string> lockFileNames(const std::string& fileName)
{
    return {wordOwnerFileName(fileName), ".~lock." + fileName + "#"};
}

std::optional<std::string> findLockFile(const std::string& folder, const std::string& fileName)
{
    for (const std::string& name : lockFileNames(fileName)) {
        if (common::nameExists(folder + "/" + name))
            return name;
    }
    return std::nullopt;
}

} // namespace glyphmere::docengine
