#include "common/SafeReplace.h"

#include "common/AbandonedTemporaries.h"
#include "common/PendingReplacement.h"
#include "common/SystemErrorText.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

namespace glyphmere::common {
namespace {

using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

std::vector<std::string> folderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeReplace, WriteFileSafely_ReplacesOrCreatesWithTheGivenModeAndLeavesNothingElse)
{
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

TEST(SafeReplace, FailureOfTheWriter_LeavesTheTargetAndNoTemporaryFile)
{
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    EXPECT_THROW(replaceFileSafely(target, {0644}, [](const std::string&) { throw std::runtime_error("full"); }),
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

TEST(PendingReplacement, TargetStaysUntilTheCommitAndADroppedOneLeavesNothing)
{
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    const auto writeNew = [](const std::string& path) { writeFile(path, "new"); };

    std::optional<PendingReplacement> dropped = prepareReplacement(target, {0644}, writeNew);
    EXPECT_EQ(readToEnd(dropped->readDescriptor()), "new");
    EXPECT_EQ(folderNames(folder.path()).size(), 3u) << "the target, the owner file and the new file";
    dropped.reset();
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"d.docx"});

    PendingReplacement pending = prepareReplacement(target, {0640}, writeNew);
    const FileHandle reader = pending.readDescriptor();
    EXPECT_EQ(readFile(target), "original");
    std::thread([moved = std::move(pending)]() mutable { moved.commit(); }).join();
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"d.docx"});
    struct stat opened {};
    struct stat named {};
    ASSERT_EQ(::fstat(static_cast<int>(reader.get()), &opened), 0);
    ASSERT_EQ(::stat(target.c_str(), &named), 0);
    EXPECT_EQ(opened.st_ino, named.st_ino) << "the descriptor reads the file that was renamed into place";
    EXPECT_EQ(named.st_mode & 07777, 0640u);
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
    EXPECT_EQ(folderNames(folder.path()), expected);
}

// A writer in a child process that stops in the middle of writing its new content, until it is killed
// (at the latest when the test ends).
class StoppedWriter {
public:
    explicit StoppedWriter(const std::string& target)
    {
        int reached[2];
        if (::pipe(reached) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(reached[0]);
            writeUntilKilled(target, reached[1]);
        }
        ::close(reached[1]);
        char byte = 0;
        m_writing = m_pid > 0 && ::read(reached[0], &byte, 1) == 1;
        ::close(reached[0]);
    }
    ~StoppedWriter() { kill(); }
    StoppedWriter(const StoppedWriter&) = delete;
    StoppedWriter& operator=(const StoppedWriter&) = delete;

    bool writing() const { return m_writing; }
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    [[noreturn]] static void writeUntilKilled(const std::string& target, int reportWriting)
    {
        replaceFileSafely(target, {0644}, [&](const std::string& contentPath) {
            writeFile(contentPath, "half of the new");
            const char byte = 'w';
            if (::write(reportWriting, &byte, 1) == 1) {
                for (;;)
                    ::pause();
            }
        });
        ::_exit(2);
    }

    pid_t m_pid = -1;
    bool m_writing = false;
};

TEST(AbandonedTemporaries, WriterKilledMidSave_LeavesFilesThatStayWhileItLivesAndGoAfter)
{
    TemporaryFolder folder;
    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    StoppedWriter writer(target);
    ASSERT_TRUE(writer.writing());

    EXPECT_EQ(removeAbandonedTemporaries(folder.path()), 0u) << "a running writer's files were removed";
    EXPECT_EQ(folderNames(folder.path()).size(), 3u); // the document, the locked owner, the content

    writer.kill();
    EXPECT_EQ(removeAbandonedTemporaries(folder.path()), 2u);
    EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"d.docx"});
    EXPECT_EQ(readFile(target), "original");
}

} // namespace
} // namespace glyphmere::common
