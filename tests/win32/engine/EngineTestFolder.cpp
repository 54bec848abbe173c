#include "EngineTestFolder.h"

#include "support/TestFiles.h"

namespace glyphmere::engine_win32_test {

EngineTestFolder::EngineTestFolder()
    : m_root(testing_support::makeTemporaryFolder("glyphmere engine \xC3\xA9\xE6\x96\x87 ").value_or(""))
{
}

EngineTestFolder::~EngineTestFolder() { testing_support::removeTree(wideExtended(m_root)); }

std::string EngineTestFolder::listing() const
{
    std::string text;
    for (const std::string& name : testing_support::folderListing(m_root))
        text += (text.empty() ? "" : "|") + name;
    return text;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    testing_support::writeWholeFile(wideExtended(path), bytes);
}

std::optional<std::string> readFile(const std::string& path)
{
    return testing_support::readWholeFile(wideExtended(path));
}

} // namespace glyphmere::engine_win32_test
