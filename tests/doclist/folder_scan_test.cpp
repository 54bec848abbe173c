#include "doclist/FolderScan.h"

#include "RecordingRows.h"
#include "ScanTree.h"
#include "doclist/AddFolder.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeServices.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace glyphmere::doclist {
namespace {

using Paths = std::vector<std::string>;
using testing_support::writeFile;
namespace MousePointer = platform::MousePointer;

// The real file system, except for the paths a test declares unreadable.
class FailingFileSystem final : public platform::FileSystem {
public:
    std::optional<std::vector<std::string>> listDirectory(const std::string& folder, const std::string& pattern,
                                                          unsigned mask) override
    {
        if (unreadable.count(folder))
            return std::nullopt;
        return real.listDirectory(folder, pattern, mask);
    }
    std::optional<unsigned> attributes(const std::string& path) override
    {
        if (unreadable.count(path))
            return std::nullopt;
        return real.attributes(path);
    }
    std::optional<platform::FolderIdentity> folderIdentity(const std::string& path) override
    {
        return real.folderIdentity(path);
    }
    std::optional<std::int64_t> lastChangeTime(const std::string& path) override { return real.lastChangeTime(path); }
    platform::PathStatus pathStatus(const std::string& path) override { return real.pathStatus(path); }
    platform::FileStart firstBytes(const std::string& path, std::size_t count) override
    {
        return real.firstBytes(path, count);
    }

    platform::posix::PosixFileSystem real;
    std::set<std::string> unreadable;
};

class FolderScanTest : public ::testing::Test {
protected:
    std::string root() const { return tmp.path() + "/R"; }
    std::string at(const std::string& relative) const { return root() + "/" + relative; }

    void makeFiles(const Paths& relatives)
    {
        for (const std::string& relative : relatives) {
            std::filesystem::create_directories(std::filesystem::path(at(relative)).parent_path());
            writeFile(at(relative), "x");
        }
    }

    // Runs one scan answering the two prompts.
    void scan(const std::string& extension, const std::string& folder)
    {
        dialogs.inputAnswers.push_back(extension);
        if (!extension.empty())
            dialogs.folderAnswers.push_back(folder);
        folderScan.run();
    }

    testing_support::TemporaryFolder tmp;
    FailingFileSystem fileSystem;
    fakes::FakeDialogs dialogs;
    fakes::FakeWindowSystem windowSystem;
    fakes::FakePointer pointer;
    RecordingRows rows;
    FolderScan folderScan{dialogs, fileSystem, windowSystem, pointer, rows};
};

TEST_F(FolderScanTest, Tree_IsAddedLevelByLevel)
{
    makeFiles({"r1.doc", "A/a1.doc", "B/b1.doc", "A/X/x1.doc", "A/notes.txt"});
    scan("doc", root());

    EXPECT_EQ(rows.rows, (Paths{at("r1.doc"), at("A/a1.doc"), at("B/b1.doc"), at("A/X/x1.doc")}));
    EXPECT_EQ(pointer.history, (std::vector<int>{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(dialogs.log,
              (Paths{"input: Enter file extension to load: [doc]", "browseForFolder: Please select folder to add:"}));
    EXPECT_GT(windowSystem.eventsProcessed, 0);
}

TEST_F(FolderScanTest, SpecialNames_AreTreatedByTheirKind)
{
    makeFiles({"report.doc", "~$report.doc", ".hidden.doc", ".secret/in.doc", "old.doc/inner.doc", "new.docx"});
    scan("doc", root() + "/");

    EXPECT_EQ(rows.rows, (Paths{at(".hidden.doc"), at("new.docx"), at("report.doc"), at("old.doc/inner.doc")}));
}

TEST_F(FolderScanTest, LockFilesOfWordAndLibreOffice_AreLeftOut)
{
    makeFiles({"report.docx", ".~lock.report.docx#", "A/.~lock.notes.doc#", "A/notes.doc", ".~lockless.doc",
               ".~lock.half.doc"});
    scan("doc", root());

    EXPECT_EQ(rows.rows, (Paths{at(".~lock.half.doc"), at(".~lockless.doc"), at("report.docx"), at("A/notes.doc")}));
}

TEST_F(FolderScanTest, ExtensionAsTyped_MakesThePattern)
{
    makeFiles({"a.doc", "b..doc", "c.txt"});
    scan("DOC", root());
    scan(".doc", root());
    scan("t?t", root());

    EXPECT_EQ(rows.rows, (Paths{at("a.doc"), at("b..doc"), at("b..doc"), at("c.txt")}));
}

TEST_F(FolderScanTest, ManyMatchingFiles_AreAllAddedInListingOrder)
{
    Paths names;
    for (int i = 249; i >= 0; --i)
        names.push_back("f" + std::to_string(1000 + i) + ".doc");
    makeFiles(names);
    scan("doc", root());

    ASSERT_EQ(rows.rows.size(), 250u);
    EXPECT_EQ(rows.rows.front(), at("f1000.doc"));
    EXPECT_TRUE(std::is_sorted(rows.rows.begin(), rows.rows.end()));
}

TEST_F(FolderScanTest, LinksToVisitedFolders_AreNotEnteredAgain)
{
    makeFiles({"A/a1.doc", "B/b1.doc"});
    std::filesystem::create_directory_symlink(root(), at("A/up"));
    std::filesystem::create_directory_symlink(at("B"), at("A/toB"));
    scan("doc", root());

    EXPECT_EQ(rows.rows, (Paths{at("A/a1.doc"), at("B/b1.doc")}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FolderScanTest, UnreadableFolders_AreSkippedAndNamed)
{
    makeFiles({"a.doc", "bad/in.doc", "good/in.doc", "gone/in.doc"});
    fileSystem.unreadable = {at("bad/"), at("gone")};
    scan("doc", root());

    EXPECT_EQ(rows.rows, (Paths{at("a.doc"), at("good/in.doc")}));
    // "gone" is an entry whose kind could not be told, not a folder known to be unreadable.
    EXPECT_EQ(dialogs.messages, (Paths{"1 folder could not be read and 1 entry could not be examined, so the "
                                       "documents in or below them were not added:\r\n" +
                                       at("gone") + "\r\n" + at("bad/")}));
    EXPECT_EQ(pointer.setting, MousePointer::Default);
}

TEST_F(FolderScanTest, MissingChosenFolder_IsReportedNotWalked)
{
    scan("doc", at("nothing"));

    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(dialogs.messages,
              (Paths{"1 folder could not be read, so the documents in it were not added:\r\n" + at("nothing/")}));
}

TEST(SkippedFoldersMessage, NamesAtMostTenFolders)
{
    Paths skipped;
    for (int i = 1; i <= 12; ++i)
        skipped.push_back("/f" + std::to_string(i));
    const std::string text = AddFolder::skippedFoldersMessage(skipped, 0);

    EXPECT_EQ(text.rfind("12 folders could not be read", 0), 0u);
    EXPECT_NE(text.find("\r\n/f10\r\n... and 2 more."), std::string::npos);
    EXPECT_EQ(text.find("/f11"), std::string::npos);
}

TEST(SkippedFoldersMessage, NamesWhatCouldNotBeExaminedAsEntries)
{
    const std::vector<std::pair<std::size_t, std::string>> cases = {
        {1, "1 entry could not be examined, so it was left out with anything below it:"},
        {2, "2 entries could not be examined, so they were left out with anything below them:"},
    };
    for (const auto& [entries, headline] : cases) {
        const Paths skipped(entries, "/e");
        EXPECT_EQ(AddFolder::skippedFoldersMessage(skipped, entries).rfind(headline + "\r\n/e", 0), 0u) << entries;
    }
    EXPECT_EQ(
        AddFolder::skippedFoldersMessage({"/f/", "/e", "/g/"}, 1).rfind("2 folders could not be read and 1 entry", 0),
        0u);
}

TEST_F(FolderScanTest, CancelAtEitherPrompt_ChangesNothing)
{
    makeFiles({"a.doc"});
    scan("", root());
    scan("doc", "");

    EXPECT_TRUE(rows.rows.empty());
    EXPECT_TRUE(pointer.history.empty());
    EXPECT_EQ(dialogs.log.size(), 3u);
}

TEST_F(FolderScanTest, EventsDuringTheWalk_CannotDisturbIt)
{
    makeFiles({"a.doc", "A/b.doc"});
    int nestedPresses = 0;
    windowSystem.onProcessEvents = [&] {
        if (nestedPresses++ == 0) {
            EXPECT_TRUE(folderScan.isWalking());
            EXPECT_EQ(pointer.setting, MousePointer::Hourglass);
            rows.Add("/user/added.doc");
            folderScan.run(); // a second press: no prompt, no walk
        }
    };
    scan("doc", root());

    EXPECT_EQ(rows.rows, (Paths{"/user/added.doc", at("a.doc"), at("A/b.doc")}));
    EXPECT_EQ(dialogs.log.size(), 2u);
    EXPECT_FALSE(folderScan.isWalking());
}

// An exception out of the walk (here from the window's event handling) still ends it: no hourglass is
// left on and a later press walks again.
TEST_F(FolderScanTest, WalkEndedByAnException_GivesBackThePointer)
{
    makeFiles({"a.doc", "A/b.doc"});
    windowSystem.onProcessEvents = [] { throw std::runtime_error("out of memory"); };

    EXPECT_THROW(scan("doc", root()), std::runtime_error);

    EXPECT_EQ(pointer.setting, MousePointer::Default);
    EXPECT_FALSE(folderScan.isWalking());
    windowSystem.onProcessEvents = nullptr;
    scan("doc", root());
    EXPECT_EQ(rows.rows, (Paths{at("a.doc"), at("A/b.doc")}));
}

TEST(ListMatchingFiles, FolderWithOrWithoutSeparator_GivesTheSameNames)
{
    testing_support::TemporaryFolder tmp;
    writeFile(tmp.file("b.doc"), "b");
    writeFile(tmp.file("a.doc"), "a");
    platform::posix::PosixFileSystem fileSystem;

    EXPECT_EQ(AddFolder::ListMatchingFiles(fileSystem, tmp.path(), "*.doc"), (Paths{"a.doc", "b.doc"}));
    EXPECT_EQ(AddFolder::ListMatchingFiles(fileSystem, tmp.path() + "/", "*.doc"), (Paths{"a.doc", "b.doc"}));
    EXPECT_EQ(AddFolder::ListMatchingFiles(fileSystem, tmp.file("none"), "*.doc"), std::nullopt);
}

// The Windows test builds the same tree (tests/win32) and expects the same rows.
TEST(ScanFolderTree, NamesInSeveralScriptsAndALongPath_GiveTheSharedRows)
{
    testing_support::TemporaryFolder tmp;
    for (const scan_tree::Entry& entry : scan_tree::allEntries()) {
        if (entry.folder)
            std::filesystem::create_directory(tmp.file(entry.path));
        else
            writeFile(tmp.file(entry.path), "x");
    }
    platform::posix::PosixFileSystem fileSystem;
    fakes::FakeWindowSystem windowSystem;

    const AddFolder::ScanResult result =
        AddFolder::scanFolderTree(fileSystem, windowSystem, tmp.path(), scan_tree::kExtension);

    Paths expected;
    for (const std::string& row : scan_tree::kRows)
        expected.push_back(tmp.file(row));
    EXPECT_EQ(result.paths, expected);
    EXPECT_TRUE(result.skipped.empty());
}

} // namespace
} // namespace glyphmere::doclist
