#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace glyphmere::engine_win32_test {

// The path as the wide calls take it, in the extended form (so that long paths work too).
std::wstring wideExtended(const std::string& path);

// A new folder under the temporary folder (its name holds letters of several scripts), removed with
// everything in it at the end. Files are written and read with the plain Win32 calls, not the engine's.
class EngineTestFolder {
public:
    EngineTestFolder();
    EngineTestFolder(const EngineTestFolder&) = delete;
    EngineTestFolder& operator=(const EngineTestFolder&) = delete;
    ~EngineTestFolder();

    std::string file(const std::string& name) const { return m_root + "\\" + name; }
    const std::string& root() const { return m_root; }
    // The names in the folder, sorted, without "." and "..".
    std::string listing() const;

private:
    std::string m_root;
};

void writeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> readFile(const std::string& path);

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

} // namespace glyphmere::engine_win32_test
