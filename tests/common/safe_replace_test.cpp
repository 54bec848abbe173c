#include "common/SafeReplace.h"

#include "common/AbandonedTemporaries.h"
#include "common/FileStatus.h"
#include "common/PendingReplacement.h"
#include "common/SystemErrorText.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

namespace glyphmere::common {
namespace {

using testing_support::folderListing;
using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

TEST(SafeReplace, WriteFileSafely_ReplacesOrCreatesWithTheGivenModeAndLeavesNothingElse)
{
    TemporaryFolder folder;
    const std::string existing = folder.file("report.json");
    writeFile(existing, "old");
    writeFileSafely(existing, "new", {0640});
    writeFileSafely(folder.file("copy.docx"), "bytes", {0600});

    EXPECT_EQ(readFile(existing), "new");
    EXPECT_EQ(readFile(folder.file("copy.docx")), "bytes");
    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"copy.docx", "report.json"}));
}

TEST(SafeReplace, FailureOfTheWriter_LeavesTheTargetAndNoTemporaryFile)
{
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    EXPECT_THROW(replaceFileSafely(target, {0644}, [](const std::string&) { throw std::runtime_error("full"); }),
                 std::runtime_error);
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});

    try {
        writeFileSafely(folder.file("no/such/folder/report.json"), "x", {0644});
        ADD_FAILURE() << "written into a folder that does not exist";
    } catch (const SystemError& error) {
        EXPECT_STREQ(error.what(), "the file or its folder does not exist");
    }
}

TEST(PendingReplacement, TargetStaysUntilTheCommitAndADroppedOneLeavesNothing)
{
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    const auto writeNew = [](const std::string& path) { writeFile(path, "new"); };

    std::optional<PendingReplacement> dropped = prepareReplacement(target, {0644}, writeNew);
    EXPECT_EQ(readToEnd(dropped->readDescriptor()), "new");
    EXPECT_EQ(folderListing(folder.path()).size(), 3u) << "the target, the owner file and the new file";
    dropped.reset();
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});

    PendingReplacement pending = prepareReplacement(target, {0640}, writeNew);
    const FileHandle reader = pending.readDescriptor();
    EXPECT_EQ(readFile(target), "original");
    std::thread([moved = std::move(pending)]() mutable { moved.commit(); }).join();
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    EXPECT_EQ(reader.status().fileId, statusOf(target).fileId)
        << "the descriptor reads the file that was renamed into place";
}

TEST(AbandonedTemporaries, LeftoversOfKilledRunsGoAndOtherFilesStay)
{
    TemporaryFolder folder;
    const std::vector<std::string> abandoned{
        ".a.docx.glyphmere-Ab12Cd",             // an owner nobody holds
        ".a.docx.glyphmere-Ab12Cd.new",         // its content
        ".a.docx.glyphmere-Ab12Cd.new.x9Y8z7",  // libzip's own temporary file
        ".b.glyphmere-x.docx.glyphmere-000000", // a name that holds the marker itself
        ".c.docx.glyphmere-QQQQQQ.new",         // content whose owner is gone
    };
    const std::vector<std::string> kept{
        "a.docx", ".hidden", "a.docx.glyphmere-Ab12Cd", ".a.docx.glyphmere-Ab1", ".a.docx.glyphmere-Ab-2Cd",
    };
    for (const auto& name : abandoned)
        writeFile(folder.file(name), "partial");
    for (const auto& name : kept)
        writeFile(folder.file(name), "mine");

    EXPECT_EQ(removeAbandonedTemporaries(folder.path()), abandoned.size());

    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderListing(folder.path()), expected);
}

} // namespace
} // namespace glyphmere::common
