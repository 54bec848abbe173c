// The engine's Win32 file seam on real files, under Wine or Windows.
#include "EngineTestFolder.h"

#include "common/AbandonedTemporaries.h"
#include "common/FileHandle.h"
#include "common/FilePath.h"
#include "common/PendingReplacement.h"
#include "common/SafeReplace.h"
#include "common/SystemErrorText.h"
#include "common/win32/ReplaceInPlace.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/files/DocumentFileAccess.h"

#include <gtest/gtest.h>

namespace glyphmere::engine_win32_test {
namespace {

using common::FileHandle;

const std::string kZipStart = std::string("PK\x03\x04", 4) + "rest of a package";

// What replacing the file at path with bytes did: "" when it succeeded, else the reason.
std::string replaceRefusal(const std::string& path, const std::string& bytes)
{
    try {
        common::writeFileSafely(path, bytes, {});
        return "";
    } catch (const common::SystemError& error) {
        return error.what();
    }
}

std::string openRefusal(const std::string& path)
{
    try {
        docengine::DocumentFileAccess::open(path);
        return "";
    } catch (const docengine::EngineError& error) {
        return error.what();
    }
}

TEST(Win32FileHandle, ReadsAndWritesByOffsetAndTellsTheSameFile)
{
    const EngineTestFolder folder;
    const std::string path = folder.file("a.bin");
    writeFile(path, "hello world");
    const FileHandle file = FileHandle::openForWriting(path);
    file.writeAt(6, "WORLD", 5);
    std::string bytes(20, '\0');
    const common::RangeRead read = file.readAt(0, bytes.data(), bytes.size());
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(bytes.substr(0, read.count), "hello WORLD");
    file.truncate(5);
    EXPECT_EQ(common::readToEnd(FileHandle::openForReading(path)), "hello");
    const common::FileStatus status = file.status();
    EXPECT_EQ(status.size, 5u);
    EXPECT_TRUE(status.regular);
    EXPECT_TRUE(common::unchangedSince(status, file.duplicate().status()));
    EXPECT_TRUE(common::unchangedSince(status, common::statusOf(path)));
    EXPECT_TRUE(common::statusOf(folder.root()).directory);
}

// Word holds a document open for writing and lets others read it; a program that shares nothing keeps
// everyone out, and the engine says so.
TEST(Win32FileHandle, OpensWhatAnotherProgramSharesAndNamesWhatItDoesNot)
{
    const EngineTestFolder folder;
    const std::string path = folder.file("held.docx");
    writeFile(path, kZipStart);
    struct Row {
        const char* holder;
        DWORD access;
        DWORD share;
        std::string refusal;
    };
    const Row rows[] = {
        {"Word", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, ""},
        {"a reader", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, ""},
        {"no sharing", GENERIC_READ, 0, "the document cannot be opened: the file is open in another program"},
    };
    for (const Row& row : rows) {
        const HeldOpen held(path, row.access, row.share);
        ASSERT_TRUE(held.valid()) << row.holder;
        EXPECT_EQ(openRefusal(path), row.refusal) << row.holder;
    }
    EXPECT_EQ(readFile(path), kZipStart);
}

// (Alternate data streams are kept by ReplaceFileW on NTFS; Wine's file system has none to keep.)
TEST(Win32SafeReplace, ReplacementKeepsTheDocumentsAttributesAndLeavesNoHiddenFile)
{
    const EngineTestFolder folder;
    const std::string path = folder.file("d.docx");
    writeFile(path, "old");
    SetFileAttributesW(wideExtended(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);

    EXPECT_EQ(replaceRefusal(path, "new"), "");
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(GetFileAttributesW(wideExtended(path).c_str()), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
    EXPECT_EQ(folder.listing(), "d.docx");
}

// An existing file is replaced, a missing one gets the new file moved in place, and the commit says which.
TEST(Win32SafeReplace, ReplacesAnExistingFileAndMovesANewOneInPlace)
{
    const EngineTestFolder folder;
    writeFile(folder.file("old.docx"), "old");
    for (const auto& [name, by] : {std::pair{"old.docx", common::PutInPlaceBy::Replacing},
                                   std::pair{"report.json", common::PutInPlaceBy::Moving}}) {
        const auto write = [](const std::string& path) { writeFile(path, "new"); };
        EXPECT_EQ(common::prepareReplacement(folder.file(name), {}, write).commit().by, by) << name;
        EXPECT_EQ(readFile(folder.file(name)), "new");
    }
    EXPECT_EQ(folder.listing(), "old.docx|report.json");
}

TEST(Win32SafeReplace, FilesNamedWithoutTheirFolderAreReplacedToo)
{
    const EngineTestFolder folder;
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(wideExtended(folder.root()).c_str()));
    writeFile(folder.file("report.json"), "old");
    writeFile(folder.file("old.docx"), "old");
    writeFile(folder.file("new"), "new");

    EXPECT_NO_THROW(common::writeFileSafely("report.json", "{}", {0644}));
    EXPECT_EQ(common::putInPlace("new", "old.docx"), common::PutInPlaceBy::Replacing);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(readFile(folder.file("report.json")), "{}");
    EXPECT_EQ(readFile(folder.file("old.docx")), "new");
    EXPECT_EQ(folder.listing(), "old.docx|report.json");
}

TEST(Win32SafeReplace, DocumentHeldWithoutSharingIsLeftExactlyAsItWas)
{
    const EngineTestFolder folder;
    const std::string path = folder.file("d.docx");
    writeFile(path, "old");
    {
        const HeldOpen held(path, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(held.valid());
        EXPECT_NE(replaceRefusal(path, "new").find("open in another program"), std::string::npos);
    }
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(folder.listing(), "d.docx");
}

TEST(Win32AbandonedTemporaries, LeftoversOfCutOffSavesGoAndARunningSavesFilesStay)
{
    const EngineTestFolder folder;
    writeFile(folder.file("d.docx"), "document");
    writeFile(folder.file(".d.docx.glyphmere-abc123"), "");
    writeFile(folder.file(".d.docx.glyphmere-abc123.new"), "cut off");
    writeFile(folder.file(".d.docx.glyphmere-noownr.new"), "its owner is gone");
    writeFile(folder.file(".d.docx.glyphmere-run999"), "");
    writeFile(folder.file(".d.docx.glyphmere-run999.new"), "being written");
    const HeldOpen running(folder.file(".d.docx.glyphmere-run999"), GENERIC_READ, 0);
    ASSERT_TRUE(running.valid());

    EXPECT_EQ(common::removeAbandonedTemporaries(folder.root()), 3u);
    EXPECT_EQ(folder.listing(), ".d.docx.glyphmere-run999|.d.docx.glyphmere-run999.new|d.docx");
}

// Word's owner file refuses the document as on Linux, beside a short name and beside one whose path
// passes the classic 260-character limit.
TEST(Win32DocumentFileAccess, WordOwnerFileRefusesTheDocumentAtAnyPathLength)
{
    const EngineTestFolder folder;
    std::string deep = folder.root();
    for (int level = 0; level < 6; ++level) {
        deep += "\\" + std::string(40, static_cast<char>('a' + level));
        CreateDirectoryW(wideExtended(deep).c_str(), nullptr);
    }
    for (const std::string& base : {folder.root(), deep}) {
        const std::string path = base + "\\Bericht \xC3\xBC\xE6\x96\x87.docx";
        writeFile(path, kZipStart);
        EXPECT_EQ(openRefusal(path), "") << path.size();
        writeFile(base + "\\~$richt \xC3\xBC\xE6\x96\x87.docx", "owner");
        EXPECT_EQ(openRefusal(path), docengine::messages::lockedBy("~$richt \xC3\xBC\xE6\x96\x87.docx")) << path.size();
        EXPECT_EQ(replaceRefusal(path, "replaced"), "") << path.size();
        EXPECT_EQ(readFile(path), "replaced");
    }
}

TEST(Win32FilePath, FolderAndNameSplitAtEitherSeparator)
{
    struct Row {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Row rows[] = {
        {"C:\\Docs\\a.docx", "C:\\Docs", "a.docx"},
        {"C:/Docs/a.docx", "C:/Docs", "a.docx"},
        {"C:\\a.docx", "C:\\", "a.docx"},
        {"C:a.docx", "C:", "a.docx"},
        {"a.docx", ".", "a.docx"},
        {"\\\\server\\share\\a.doc", "\\\\server\\share", "a.doc"},
        {"\\\\?\\C:\\Docs\\a.doc", "\\\\?\\C:\\Docs", "a.doc"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(common::folderOf(row.path), row.folder) << row.path;
        EXPECT_EQ(common::fileNameOf(row.path), row.name) << row.path;
    }
}

} // namespace
} // namespace glyphmere::engine_win32_test
