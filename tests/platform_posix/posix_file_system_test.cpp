#include "platform/posix/PosixFileSystem.h"

#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace glyphmere::platform::posix {
namespace {

using Names = std::vector<std::string>;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

class PosixFileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(tmp.file("b.doc"), "b");
        writeFile(tmp.file("A.doc"), "a");
        writeFile(tmp.file("c.docx"), "c");
        writeFile(tmp.file(".hidden.doc"), "h");
        std::filesystem::create_directory(tmp.file("sub.doc"));
        std::filesystem::create_directory(tmp.file(".secret"));
        std::filesystem::create_directory_symlink(tmp.file("sub.doc"), tmp.file("link"));
        std::filesystem::create_symlink(tmp.file("missing"), tmp.file("broken.doc"));
        ASSERT_EQ(mkfifo(tmp.file("pipe.doc").c_str(), 0600), 0);
    }

    TemporaryFolder tmp;
    PosixFileSystem fileSystem;
};

TEST_F(PosixFileSystemTest, FolderMask_GivesFoldersAndOrdinaryFilesSortedWithoutCase)
{
    EXPECT_EQ(fileSystem.listDirectory(tmp.path() + "/", "", FileAttribute::Directory),
              (Names{"A.doc", "b.doc", "c.docx", "link", "sub.doc"}));
}

// The folder read once gives what two listings and asking each entry's attributes give.
TEST_F(PosixFileSystemTest, FolderListing_InOnePass_GivesWhatTheListingsGive)
{
    std::filesystem::create_directory(tmp.file("B"));
    std::filesystem::create_symlink("loop", tmp.file("loop.doc"));
    for (const char* pattern : {"*.doc", "*", "b*"}) {
        for (const std::string& folder : {tmp.path() + "/", tmp.file("nothing") + "/"}) {
            const auto onePass = fileSystem.listFolder(folder, pattern);
            const auto byEntry = fileSystem.FileSystem::listFolder(folder, pattern);

            ASSERT_EQ(onePass.has_value(), byEntry.has_value()) << folder;
            if (!onePass)
                continue;
            EXPECT_EQ(onePass->subfolders, byEntry->subfolders) << pattern;
            EXPECT_EQ(onePass->files, byEntry->files) << pattern;
            EXPECT_TRUE(onePass->unexamined.empty()) << "a link that leads nowhere is no folder";
        }
    }
    const auto listing = fileSystem.listFolder(tmp.path() + "/", "*.doc");
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->subfolders, (Names{"B", "link", "sub.doc"}));
    EXPECT_EQ(listing->files, (Names{".hidden.doc", "A.doc", "b.doc", "c.docx"}));
}

TEST_F(PosixFileSystemTest, FileMask_GivesHiddenAndOrdinaryFilesButNoFolders)
{
    EXPECT_EQ(fileSystem.listDirectory(tmp.path(), "*.doc", FileAttribute::Hidden | FileAttribute::System),
              (Names{".hidden.doc", "A.doc", "b.doc", "c.docx"}));
}

TEST_F(PosixFileSystemTest, NormalMask_GivesOnlyOrdinaryFiles)
{
    EXPECT_EQ(fileSystem.listDirectory(tmp.path(), "*", FileAttribute::Normal), (Names{"A.doc", "b.doc", "c.docx"}));
}

TEST_F(PosixFileSystemTest, NamesDifferingOnlyInCase_KeepAFixedOrder)
{
    writeFile(tmp.file("a.doc"), "second a");
    EXPECT_EQ(fileSystem.listDirectory(tmp.path(), "a.doc", FileAttribute::Normal), (Names{"A.doc", "a.doc"}));
}

TEST_F(PosixFileSystemTest, MissingOrNonFolder_CannotBeListed)
{
    EXPECT_EQ(fileSystem.listDirectory(tmp.file("nothing"), "", FileAttribute::Directory), std::nullopt);
    EXPECT_EQ(fileSystem.listDirectory(tmp.file("b.doc"), "", FileAttribute::Directory), std::nullopt);
}

TEST_F(PosixFileSystemTest, Attributes_FollowLinksAndMarkDotNamesHidden)
{
    EXPECT_EQ(fileSystem.attributes(tmp.file("b.doc")), FileAttribute::Normal);
    EXPECT_EQ(fileSystem.attributes(tmp.file("link")), FileAttribute::Directory);
    EXPECT_EQ(fileSystem.attributes(tmp.file(".secret/")), FileAttribute::Directory | FileAttribute::Hidden);
    EXPECT_EQ(fileSystem.attributes(tmp.file("broken.doc")), std::nullopt);
    chmod(tmp.file("b.doc").c_str(), 0444);
    EXPECT_EQ(fileSystem.attributes(tmp.file("b.doc")), FileAttribute::ReadOnly);
}

TEST_F(PosixFileSystemTest, FolderIdentity_IsTheSameThroughALink)
{
    const auto direct = fileSystem.folderIdentity(tmp.file("sub.doc"));
    ASSERT_TRUE(direct.has_value());
    EXPECT_EQ(fileSystem.folderIdentity(tmp.file("link/")), direct);
    EXPECT_NE(fileSystem.folderIdentity(tmp.file(".secret")), direct);
    EXPECT_EQ(fileSystem.folderIdentity(tmp.file("b.doc")), std::nullopt);
}

TEST_F(PosixFileSystemTest, LastChangeTime_IsTheModificationTime)
{
    const timeval times[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(utimes(tmp.file("b.doc").c_str(), times), 0);
    EXPECT_EQ(fileSystem.lastChangeTime(tmp.file("b.doc")), 1'000'000'000);
    EXPECT_EQ(fileSystem.lastChangeTime(tmp.file("nothing")), std::nullopt);
}

} // namespace
} // namespace glyphmere::platform::posix
