// The program at the end of a POSIX shell pipeline.
#include "batch/JsonReport.h"

#include "BatchDocuments.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing::Finished;
using testing::partsOf;
using testing::runShell;
using ::testing::StartsWith;
using testing_support::readFile;
using testing_support::TemporaryFolder;

TEST(Program, FindPrint0Pipeline_RestylesEveryNameInFindsOrder)
{
    TemporaryFolder folder;
    fs::create_directories(folder.file("tree/sub dir"));
    for (const std::string name : {"plain.docx", "with space.docx", "line\nbreak.docx", "latin1 caf\xE9.docx",
                                   "-dash.docx", "sub dir/inner.docx"})
        testing::writeDocument(folder.file("tree/" + name));

    const Finished run = runShell("find tree -name '*.docx' -print0 | tee list | \"$BATCH\" --font 'Liberation "
                                  "Serif' --size 13 --quiet --files-from - --null --report-format jsonl --report r",
                                  folder.path());

    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> found = partsOf(readFile(folder.file("list")), '\0');
    ASSERT_EQ(found.size(), 6u);
    std::string printed;
    std::vector<std::string> reportLines = partsOf(readFile(folder.file("r")), '\n');
    ASSERT_EQ(reportLines.size(), found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        printed += "changed: " + found[i] + "\n";
        EXPECT_TRUE(testing::isRestyledWith(folder.file(found[i]), "Liberation Serif")) << found[i];
        EXPECT_THAT(reportLines[i], StartsWith("{\"path\": " + jsonString(found[i]) + ", \"status\": \"changed\""));
    }
    EXPECT_EQ(run.out, printed);
}

} // namespace
} // namespace glyphmere::batch
