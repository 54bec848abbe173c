#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace glyphmere::platform::win32::test {

// The path in the extended form, so a test can reach files past the classic length limit.
std::wstring wideWithPrefix(const std::string& path);

// Removes the folder with everything in it, whatever their attributes.
void removeTree(const std::wstring& path);

// A folder under the temporary folder, removed with everything in it at the end. Relative paths use "\".
class TemporaryTree {
public:
    TemporaryTree();
    TemporaryTree(const TemporaryTree&) = delete;
    TemporaryTree& operator=(const TemporaryTree&) = delete;
    ~TemporaryTree();

    std::string path(const std::string& relative) const { return m_root + "\\" + relative; }
    const std::string& root() const { return m_root; }

    void folder(const std::string& relative, DWORD attributes = 0) const;
    void file(const std::string& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;
    // Writes bytes to the file at the full path, replacing what was there.
    static void write(const std::string& fullPath, const std::string& bytes);
    // The whole content of the file at the full path; nothing when it cannot be read.
    static std::optional<std::string> read(const std::string& fullPath);

private:
    std::string m_root;
};

} // namespace glyphmere::platform::win32::test
