#include "common/SafeReplace.h"

#include "common/SystemErrorText.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace glyphmere::common {
namespace {

using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeReplace, WriteFileSafely_ReplacesOrCreatesWithTheGivenModeAndLeavesNothingElse) {
    TemporaryFolder folder;
    const std::string existing = folder.file("report.json");
    writeFile(existing, "old");
    writeFileSafely(existing, "new", {0640});
    writeFileSafely(folder.file("copy.docx"), "bytes", {0600});

    EXPECT_EQ(readFile(existing), "new");
    EXPECT_EQ(readFile(folder.file("copy.docx")), "bytes");
    struct stat status {};
    ASSERT_EQ(::stat(existing.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(folderNames(folder.path()), (std::vector<std::string>{"copy.docx", "report.json"}));
}

TEST(SafeReplace, FailureOfTheWriter_LeavesTheTargetAndNoTemporaryFile) {
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    EXPECT_THROW(
        replaceFileSafely(target, {0644}, [](const std::string&) { throw std::runtime_error("full"); }),
        std::runtime_error);
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"d.docx"});

    try {
        writeFileSafely(folder.file("no/such/folder/report.json"), "x", {0644});
        ADD_FAILURE() << "written into a folder that does not exist";
    } catch (const SystemError& error) {
        EXPECT_STREQ(error.what(), "the file or its folder does not exist");
    }
}

} // namespace
} // namespace glyphmere::common
