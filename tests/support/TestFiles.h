#pragma once

#include <string>
#include <vector>

namespace glyphmere::testing_support {

// The bytes of one file ("" when it cannot be read), and writing one; paths in UTF-8, as the engine takes
// them. The test programs of every system share this interface; posix/ or win32/ implements it.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// The names in the folder, sorted.
std::vector<std::string> folderListing(const std::string& folder);
// A path written with "/", as the programs write the paths they make: unchanged on POSIX, with
// Windows' own separator "\\" on Windows.
std::string nativePath(std::string path);

// A fresh, empty folder under the system's temporary folder, removed with everything in it when the object
// goes (read-only files and folders too).
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace glyphmere::testing_support
