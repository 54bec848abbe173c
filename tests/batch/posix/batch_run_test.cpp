// Runs over documents reached through symbolic links.
#include "BatchRunFixture.h"
#include "batch/BatchCommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing::BatchRunTest;
using ::testing::ElementsAre;
using testing::linesOf;
using testing_support::readFile;

TEST_F(BatchRunTest, OneDocumentListedUnderSeveralNames_IsRestyledOnceAtATime)
{
    document("a.docx");
    document("b.docx");
    fs::create_symlink("a.docx", "link.docx");

    EXPECT_EQ(run({"--jobs", "4", "a.docx", "./a.docx", "link.docx", "b.docx", "a.docx", "tree/../a.docx"}),
              kExitSomeFailed);

    // Two jobs on one file at once would make the later save fail as "changed by another program".
    EXPECT_THAT(linesOf(out.str()),
                ElementsAre("changed: a.docx", "changed: ./a.docx", "changed: link.docx", "changed: b.docx",
                            "changed: a.docx", "failed: tree/../a.docx: the file does not exist"));
}

TEST_F(BatchRunTest, OneDocumentReachedThroughALink_IsCopiedOnceAsItsOriginal)
{
    const std::string original = readFile(document("docs/a.docx"));
    fs::create_directory_symlink("docs", "alias");

    EXPECT_EQ(run({"--backup", "saved", "--jobs", "2", "docs/a.docx", "alias/a.docx"}), kExitAllChanged);

    EXPECT_TRUE(readFile("saved/docs/a.docx") == original) << "saved/docs/a.docx";
    EXPECT_FALSE(fs::exists("saved/alias")) << "a restyled document was kept as an original";
}

} // namespace
} // namespace glyphmere::batch
