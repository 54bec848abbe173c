#include "docengine/files/DocumentFileAccess.h"

#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using package_testing::compoundFile;
using package_testing::giveDistinctSettings;
using package_testing::hasDistinctSettings;

std::string replaceRefusal(DocumentFileAccess& access, const std::string& bytes)
{
    return testing_support::errorText<EngineError>([&] { access.replaceWithBytes(bytes); });
}

// What the Word 97-2003 layer relies on: the whole file in memory, and new bytes saved with every check.
TEST(DocumentFileAccess, WholeBytesReadAndReplacedWithModeKeptAndChangesOnDiskRefused)
{
    TemporaryFolder folder;
    const std::string path = folder.file("old.doc");
    const std::string original = compoundFile({}) + std::string(5000, '\x01');
    writeFile(path, original);
    giveDistinctSettings(path);

    DocumentFileAccess access = DocumentFileAccess::open(path);
    EXPECT_EQ(access.content(), FileContent::WordBinaryDocument);
    EXPECT_EQ(access.readAll(), original);

    EXPECT_EQ(replaceRefusal(access, original + "grown"), "");
    EXPECT_EQ(replaceRefusal(access, original + "grown twice"), "") << "the first save is the new baseline";
    EXPECT_EQ(readFile(path), original + "grown twice");
    EXPECT_EQ(access.readAll(), original + "grown twice");
    EXPECT_TRUE(hasDistinctSettings(path)) << "the file keeps its settings";

    writeFile(path, "changed by another program");
    EXPECT_EQ(replaceRefusal(access, original), messages::kChangedOnDisk);
    EXPECT_EQ(readFile(path), "changed by another program");
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"old.doc"});
}

// A file larger than the bound is refused before a byte of it is read (a sparse file: no disk is used).
TEST(DocumentFileAccess, WholeReadOfAnOversizedFileIsRefused)
{
    TemporaryFolder folder;
    const std::string path = folder.file("huge.doc");
    writeFile(path, compoundFile({}));
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(DocumentFileAccess::kLargestWholeRead + 1)), 0);

    const DocumentFileAccess access = DocumentFileAccess::open(path);
    try {
        access.readAll();
        ADD_FAILURE() << "an oversized file was read";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), messages::kTooLarge);
    }
}

} // namespace
} // namespace glyphmere::docengine
