#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace glyphmere::batch {

// The batch keeps paths as UTF-8 bytes. A std::filesystem::path made from a narrow string reads it in the
// Windows ANSI code page, so paths cross over as UTF-8 explicitly; on POSIX the bytes stay as they are.
inline std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace glyphmere::batch
