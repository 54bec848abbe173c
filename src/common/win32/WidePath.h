#pragma once

#include <windows.h>

#include <string>

namespace glyphmere::common {

// The UTF-8 path as the wide file calls take it: unchanged but for its separators while it is short;
// past the classic length limit made absolute and given the "\\?\" prefix ("\\?\UNC\" for a network
// path), so that long paths work without the system's long-path setting. SystemError when the path is no
// valid UTF-8.
std::wstring widePath(const std::string& path);

// The absolute form of a wide path, "." and ".." resolved (GetFullPathNameW); SystemError on failure.
std::wstring fullPath(const std::wstring& path);

// The wide path back as UTF-8, without a "\\?\" prefix where the path does without it.
std::string utf8Path(const std::wstring& path);

// An open file's handle as the Windows calls take it.
inline HANDLE handleOf(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

} // namespace glyphmere::common
