#pragma once

#include "support/win32/WindowsFiles.h"

#include <optional>
#include <string>

namespace glyphmere::engine_win32_test {

using testing_support::HeldOpen;
using testing_support::wideExtended;

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

} // namespace glyphmere::engine_win32_test
