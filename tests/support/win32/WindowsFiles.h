#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace glyphmere::testing_support {

// Files as the Windows tests see them, through the plain wide Win32 calls rather than the engine's own,
// so that a test checks the engine against the system and not against itself.

// The UTF-8 text as UTF-16, and back.
std::wstring wideText(const std::string& text);
std::string utf8Text(const std::wstring& text);

// The path as the wide calls take it, in the extended form (so that long paths work too).
std::wstring wideExtended(const std::string& path);

// The whole content of the file at the wide path, read while others may write it; nothing when it cannot be
// opened.
std::optional<std::string> readWholeFile(const std::wstring& path);
// Writes bytes as the whole content of the file at the wide path, made when missing; false when it cannot.
bool writeWholeFile(const std::wstring& path, const std::string& bytes);

// Removes the folder with everything in it, read-only entries too.
void removeTree(const std::wstring& folder);

// A new folder under the system's temporary folder, named by the prefix, the process id and a count (names
// that an earlier run with the same process id left behind are passed over); its UTF-8 path, nothing when
// none can be made.
std::optional<std::string> makeTemporaryFolder(const std::string& prefix);

// A handle that holds the file open as another program would, with the given sharing; closed when it goes.
class HeldOpen {
public:
    HeldOpen(const std::string& path, DWORD access, DWORD share);
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    ~HeldOpen();
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

} // namespace glyphmere::testing_support
