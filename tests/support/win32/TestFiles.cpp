#include "support/TestFiles.h"

#include "support/win32/WindowsFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace glyphmere::testing_support {

std::string readFile(const std::string& path) { return readWholeFile(wideExtended(path)).value_or(""); }

void writeFile(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(writeWholeFile(wideExtended(path), bytes)) << "cannot write " << path;
}

std::string nativePath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::vector<std::string> folderListing(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((wideExtended(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(utf8Text(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

TemporaryFolder::TemporaryFolder() : m_path(makeTemporaryFolder("glyphmere-test-").value_or(""))
{
    if (m_path.empty())
        ADD_FAILURE() << "cannot make a temporary folder";
}

TemporaryFolder::~TemporaryFolder() { removeTree(wideExtended(m_path)); }

} // namespace glyphmere::testing_support
