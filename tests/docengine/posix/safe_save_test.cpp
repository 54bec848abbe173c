// The safe save where POSIX gives the answer: permission bits, symbolic links, times to the nanosecond, a
// full disk (a file size limit), a save killed in mid-write.
#include "common/SafeReplace.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/session/RestyleRequest.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;
using common::FileOperations;

TEST(SafeSave, PermissionBitsAreKept)
{
    for (const mode_t mode : {0600, 0640, 0664, 0604, 0660}) {
        SCOPED_TRACE(mode);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_EQ(saveRefusal(*ZipPackage::open(path), {{"word/document.xml", kNewDocument}}), "");
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode);
    }
}

TEST(SafeSave, LinkStaysALinkAndItsTargetIsReplaced)
{
    TemporaryFolder folder;
    ASSERT_EQ(::mkdir(folder.file("real").c_str(), 0755), 0);
    writeMixedPackage(folder.file("real/d.docx"));
    ASSERT_EQ(::symlink("real/d.docx", folder.file("link.docx").c_str()), 0);

    const auto package = ZipPackage::open(folder.file("link.docx"));
    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), "");

    struct stat status {};
    ASSERT_EQ(::lstat(folder.file("link.docx").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(readPackage(folder.file("real/d.docx"))[2].second, kNewDocument);
    EXPECT_EQ(folderListing(folder.file("real")), std::vector<std::string>{"d.docx"});
}

void replaceWithCopy(const std::string& path)
{
    const std::string copy = path + ".copy";
    writeFile(copy, readFile(path));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    struct timespec times[2] = {status.st_atim, status.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, copy.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(copy.c_str(), path.c_str()), 0);
}

TEST(SafeSave, ChangeOnDiskSinceOpenIsRefused)
{
    const std::pair<const char*, void (*)(const std::string&)> changes[] = {
        {"time moved by a nanosecond", touchNanoseconds},
        {"bytes appended", [](const std::string& path) { writeFile(path, readFile(path) + "x"); }},
        {"replaced by an identical copy", replaceWithCopy},
    };
    for (const auto& [label, change] : changes) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        const auto package = ZipPackage::open(path);
        change(path);
        const std::string changed = readFile(path);
        EXPECT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), messages::kChangedOnDisk);
        EXPECT_EQ(readFile(path), changed);
        EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    }
}

TEST(SafeSave, RefusalsBeforeWritingLeaveNoTrace)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const std::string original = readFile(path);
    const auto package = ZipPackage::open(path);

    EXPECT_EQ(saveRefusal(*package, {{"word/footer9.xml", "<w:ftr/>"}}),
              "the document's package has no part named \"word/footer9.xml\"");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), messages::kReadOnly);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
}

// The child's exit status: 0 when the save failed with the expected reason.
int saveUnderFileSizeLimit(const std::string& path, rlim_t limit, const std::string& expectedReason)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit fileSize {
        limit, limit
    };
    if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 3;
    std::string incompressible(2 << 20, '\0');
    std::uint32_t state = 12345;
    for (char& byte : incompressible) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 24);
    }
    try {
        ZipPackage::open(path)->saveReplacing({{"word/document.xml", incompressible}});
    } catch (const EngineError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return error.what() == expectedReason ? 0 : 2;
    }
    return 1;
}

TEST(SafeSave, FullDiskLeavesTheOriginalAndNoTemporaryFile)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const std::string original = readFile(path);
    const std::string reason = messages::cannotSave("the file would be larger than the system allows");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(saveUnderFileSizeLimit(path, 256 * 1024, reason));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved anyway, 2: another reason, 3: no limit";
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
}

// Reports through a pipe when the new package is written, and then never returns: a save stopped at the
// flush, to be killed there.
class StoppingOperations final : public FileOperations {
public:
    explicit StoppingOperations(int reportWritten) : m_reportWritten(reportWritten) {}
    int syncFile(const common::FileHandle&) const override
    {
        const char byte = 'w';
        if (::write(m_reportWritten, &byte, 1) == 1) {
            for (;;)
                ::pause();
        }
        return -1;
    }

private:
    int m_reportWritten;
};

// The hidden files of a run killed in the middle of a save are removed by the next restyle in the folder.
TEST(SafeSave, SaveKilledMidWay_LeavesHiddenFilesThatTheNextRestyleRemoves)
{
    TemporaryFolder folder;
    const std::string killedPath = folder.file("killed.docx");
    const std::string nextPath = folder.file("next.docx");
    writeMixedPackage(killedPath);
    writeMixedPackage(nextPath);
    const std::string original = readFile(killedPath);
    int written[2];
    ASSERT_EQ(::pipe(written), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const StoppingOperations operations(written[1]);
        ZipPackage::open(killedPath, operations)->saveReplacing({{"word/document.xml", kNewDocument}});
        ::_exit(2);
    }
    ::close(written[1]);
    char byte = 0;
    const bool reachedFlush = ::read(written[0], &byte, 1) == 1;
    ::close(written[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(reachedFlush);
    ASSERT_EQ(folderListing(folder.path()).size(), 4u) << "the killed save left its owner and content files";

    restyleDocumentFile(nextPath, {.fontName = "Arial", .fontSize = "12"});

    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"killed.docx", "next.docx"}));
    EXPECT_EQ(readFile(killedPath), original);
}

} // namespace
} // namespace glyphmere::docengine
