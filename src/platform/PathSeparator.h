#pragma once

namespace glyphmere::platform {

// Where a folder and a name are joined, the operating system's own separator is used.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

} // namespace glyphmere::platform
