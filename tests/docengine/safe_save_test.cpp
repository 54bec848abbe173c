#include "common/SafeReplace.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/EngineError.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/session/RestyleRequest.h"
#include "docengine/EngineMessages.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;
using common::FileOperations;

constexpr std::time_t kOldTime = 981172800; // 2001-02-03
const std::string kNewDocument = "<w:document>changed</w:document>";

// A package as other programs write them: deflated parts, a stored picture, old times, a comment.
void writeMixedPackage(const std::string& path)
{
    writePackage(path, minimalDocx("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>",
                                   {{"word/media/image1.png", std::string(3000, '\x89')},
                                    {"docProps/app.xml", "<Properties/>"}}));
    zip_t* archive = zip_open(path.c_str(), 0, nullptr);
    ASSERT_NE(archive, nullptr);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(zip_get_num_entries(archive, 0)); ++i)
        zip_file_set_mtime(archive, i, kOldTime, 0);
    zip_set_file_compression(archive, 4, ZIP_CM_STORE, 0);
    zip_file_set_comment(archive, 5, "kept", 4, 0);
    ASSERT_EQ(zip_close(archive), 0);
}

// The reason the action was refused with, or empty.
std::string refusalOf(const std::function<void()>& action) { return testing_support::errorText<EngineError>(action); }

TEST(SafeSave, UnchangedEntriesKeepTheirStoredBytesAndOrder)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const auto before = storedEntries(path);
    const auto package = ZipPackage::open(path);

    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), "");

    const auto after = storedEntries(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.front().name, "[Content_Types].xml");
    for (std::size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(before[i].name);
        EXPECT_EQ(after[i].name, before[i].name);
        if (after[i].name == "word/document.xml") {
            EXPECT_EQ(after[i].method, ZIP_CM_DEFLATE);
            continue;
        }
        EXPECT_EQ(after[i].method, before[i].method);
        EXPECT_EQ(after[i].modified, before[i].modified);
        EXPECT_EQ(after[i].rawBytes, before[i].rawBytes);
    }
    EXPECT_EQ(readPackage(path)[2].second, kNewDocument);
    EXPECT_EQ(package->read("word/document.xml"), kNewDocument);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
}

TEST(SafeSave, SavingTwiceBuildsOnTheFirstSave)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const auto package = ZipPackage::open(path);
    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), "");
    ASSERT_EQ(saveRefusal(*package, {{"docProps/app.xml", "<Properties>2</Properties>"}}), "");
    const auto entries = readPackage(path);
    EXPECT_EQ(entries[2].second, kNewDocument);
    EXPECT_EQ(entries[5].second, "<Properties>2</Properties>");
}

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

void touchNanoseconds(const std::string& path)
{
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    struct timespec times[2] = {status.st_atim, status.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
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

// Fails the chosen call with the chosen error, as a broken disk or a full one would.
class FailingOperations final : public FileOperations {
public:
    FailingOperations(bool failRename, int error) : m_failRename(failRename), m_error(error) {}
    int renameFile(const std::string& from, const std::string& to) const override
    {
        return m_failRename ? fail() : FileOperations::renameFile(from, to);
    }
    int syncFile(const common::FileHandle& file) const override
    {
        return m_failRename ? FileOperations::syncFile(file) : fail();
    }

private:
    int fail() const
    {
        errno = m_error;
        return -1;
    }
    bool m_failRename;
    int m_error;
};

TEST(SafeSave, FailedFlushOrRenameLeavesTheOriginalAndNoTemporaryFile)
{
    const struct {
        const char* label;
        FailingOperations operations;
        std::string reason;
    } cases[] = {
        {"rename fails", {true, EIO}, messages::cannotSave("an input/output error occurred")},
        {"flush fails", {false, ENOSPC}, messages::cannotSave("no space left on the device")},
    };
    for (const auto& [label, operations, reason] : cases) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        const std::string original = readFile(path);
        const auto package = ZipPackage::open(path, operations);
        EXPECT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), reason);
        EXPECT_EQ(readFile(path), original);
        EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    }
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

TEST(DeferredSave, DocumentStaysAsItWasUntilTheCommitInBothFormats)
{
    TemporaryFolder folder;
    const std::string docx = folder.file("d.docx");
    writeMixedPackage(docx);
    const std::string doc = folder.file("notes.doc");
    writeFile(doc, readFile(std::string(GLYPHMERE_TEST_DATA "/doc/notes.doc")));
    const std::string originalDocx = readFile(docx);
    const std::string originalDoc = readFile(doc);

    SaveDeferral deferral;
    const auto package = packageDeferringTo(deferral, docx);
    package->saveReplacing({{"word/document.xml", kNewDocument}});
    restyleDocumentFile(doc, {.fontName = "Arial", .fontSize = "12"}, &deferral);
    std::vector<PendingSave> saves = deferral.take(docx);
    std::vector<PendingSave> docSaves = deferral.take(doc);
    ASSERT_EQ(saves.size(), 1u);
    ASSERT_EQ(docSaves.size(), 1u);
    EXPECT_EQ(readFile(docx), originalDocx);
    EXPECT_EQ(readFile(doc), originalDoc);
    EXPECT_EQ(package->read("word/document.xml"), kNewDocument) << "the package reads the file it wrote";

    std::thread([&] {
        saves[0].commit();
        docSaves[0].commit();
    }).join();
    EXPECT_EQ(readPackage(docx)[2].second, kNewDocument);
    EXPECT_NE(readFile(doc), originalDoc);
    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"d.docx", "notes.doc"}));
    // The committed file is the one the package adopted, so a further save builds on it.
    ASSERT_EQ(saveRefusal(*package, {{"docProps/app.xml", "<Properties>2</Properties>"}}), "");
    EXPECT_EQ(readPackage(docx)[2].second, kNewDocument);
}

TEST(DeferredSave, FailedOrDroppedCommitLeavesTheDocumentAsItWasAndNoTemporaryFile)
{
    const FailingOperations renameFails(true, EIO);
    const FailingOperations flushFails(false, ENOSPC);
    const struct {
        const char* label;
        const FileOperations& operations;
        void (*beforeCommit)(const std::string&);
        std::string reason; // empty: dropped without a commit
    } cases[] = {
        {"rename fails", renameFails, nullptr, messages::cannotSave("an input/output error occurred")},
        {"flush fails", flushFails, nullptr, messages::cannotSave("no space left on the device")},
        {"changed by another program meanwhile", common::systemFileOperations(), touchNanoseconds,
         messages::kChangedOnDisk},
        {"dropped", common::systemFileOperations(), nullptr, ""},
    };
    for (const auto& [label, operations, beforeCommit, reason] : cases) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        SaveDeferral deferral;
        const auto package = packageDeferringTo(deferral, path, operations);
        package->saveReplacing({{"word/document.xml", kNewDocument}});
        std::vector<PendingSave> saves = deferral.take(path);
        ASSERT_EQ(saves.size(), 1u);
        if (beforeCommit)
            beforeCommit(path);
        const std::string before = readFile(path);
        if (reason.empty())
            saves.clear();
        else
            EXPECT_EQ(refusalOf([&] { saves[0].commit(); }), reason);
        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    }
}

} // namespace
} // namespace glyphmere::docengine
