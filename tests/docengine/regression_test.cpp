// Every file under tests/data/regressions/ once broke the engine (most were found by the fuzz target in
// fuzz/). Each goes through the batch's whole sequence, with and without the header and footer passes,
// and must hold what the fuzz target checks: a refused document stays byte-identical, a saved one opens
// again, and nothing but the document is left in its folder.

#include "EngineRestyle.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using hostile::openRefusalOfEngine;
using hostile::restyleWithEngine;

std::vector<std::filesystem::path> regressionFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(GLYPHMERE_TEST_DATA "/regressions"))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void restyleHoldsItsPromises(const std::string& path, bool headersAndFooters)
{
    const std::string before = readFile(path);
    const std::string reason = restyleWithEngine(path, headersAndFooters);
    EXPECT_EQ(folderListing(std::filesystem::path(path).parent_path().string()), std::vector<std::string>{"d.docx"});
    if (reason.empty())
        EXPECT_EQ(openRefusalOfEngine(path), "") << "a saved document must open again";
    else
        EXPECT_TRUE(readFile(path) == before) << "refused (" << reason << ") but changed";
}

TEST(Regression, EveryFixtureIsRestyledOrRefusedWithoutHarm)
{
    const auto files = regressionFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        std::filesystem::copy_file(file, path);
        restyleHoldsItsPromises(path, false);
        restyleHoldsItsPromises(path, true);
    }
}

} // namespace
} // namespace glyphmere::docengine
