// Opening documents where POSIX gives the answer: FIFOs and devices, permission bits, symbolic links.
#include "docengine/EngineMessages.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

TEST(PackageOpen, OnlyRegularFilesAreOpenedAndAFifoNeverBlocks)
{
    TemporaryFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("pipe.docx").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(folder.file("folder.docx").c_str(), 0755), 0);
    EXPECT_EQ(openRefusal(folder.file("pipe.docx")), messages::kNotAWordDocument);
    EXPECT_EQ(openRefusal(folder.file("folder.docx")), messages::kNotAWordDocument);
    EXPECT_EQ(openRefusal("/dev/null"), messages::kNotAWordDocument);
}

TEST(PackageOpen, ReadOnlyFileOrFolderIsRefusedEvenForRoot)
{
    TemporaryFolder folder;
    const std::string path = folder.file("report.docx");
    writePackage(path, minimalDocx("<w:p/>"));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(openRefusal(path), messages::kReadOnly);

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    EXPECT_EQ(openRefusal(path), messages::kFolderReadOnly);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    EXPECT_EQ(openRefusal(path), "");
}

TEST(PackageOpen, LockFileBesideALinksTargetRefuses)
{
    TemporaryFolder folder;
    ASSERT_EQ(::mkdir(folder.file("real").c_str(), 0755), 0);
    writePackage(folder.file("real/report.docx"), minimalDocx("<w:p/>"));
    ASSERT_EQ(::symlink("real/report.docx", folder.file("link.docx").c_str()), 0);
    writeFile(folder.file("real/~$report.docx"), "owner");
    EXPECT_EQ(openRefusal(folder.file("link.docx")), messages::lockedBy("~$report.docx"));
}

} // namespace
} // namespace glyphmere::docengine
