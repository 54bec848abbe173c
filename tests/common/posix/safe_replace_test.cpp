// The safe replacement where POSIX gives the answer: permission bits, a writer killed in mid-save.
#include "common/AbandonedTemporaries.h"
#include "common/PendingReplacement.h"
#include "common/SafeReplace.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glyphmere::common {
namespace {

using testing_support::folderListing;
using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

std::uint32_t permissionBits(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
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
    EXPECT_EQ(folderListing(folder.path()).size(), 3u); // the document, the locked owner, the content

    writer.kill();
    EXPECT_EQ(removeAbandonedTemporaries(folder.path()), 2u);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    EXPECT_EQ(readFile(target), "original");
}

TEST(SafeReplace, NewFileGetsTheGivenPermissionBits)
{
    TemporaryFolder folder;
    const std::string existing = folder.file("report.json");
    writeFile(existing, "old");
    writeFileSafely(existing, "new", {0640});
    EXPECT_EQ(permissionBits(existing), 0640u);

    const std::string target = folder.file("d.docx");
    writeFile(target, "original");
    prepareReplacement(target, {0604}, [](const std::string& path) { writeFile(path, "new"); }).commit();
    EXPECT_EQ(permissionBits(target), 0604u);
}

} // namespace
} // namespace glyphmere::common
