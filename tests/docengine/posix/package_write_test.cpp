// Writing a package where POSIX gives the answer: a full disk, made with a file size limit.
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/PackageWriter.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

// The child's exit status: 0 when writing failed for the file size limit and left the file empty.
int writeUnderFileSizeLimit(zip_t* source, const std::string& target, const std::string& bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit fileSize {
        64 * 1024, 64 * 1024
    };
    if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 3;
    try {
        writePackageCopy(target, source, {{2, &bytes}});
    } catch (const EngineError& error) {
        if (error.what() != messages::cannotSave("the file would be larger than the system allows"))
            return 2;
        struct stat written {};
        return ::stat(target.c_str(), &written) == 0 && written.st_size == 0 ? 0 : 4;
    }
    return 1;
}

TEST(PackageWrite, FullDiskLeavesTheGivenFileEmptyAndNothingElse)
{
    TemporaryFolder folder;
    writeMixedPackage(folder.file("d.docx"));
    zip_t* source = zip_open(folder.file("d.docx").c_str(), ZIP_RDONLY, nullptr);
    ASSERT_NE(source, nullptr);
    const std::string target = folder.file("new.docx");
    std::string incompressible(256 * 1024, '\0');
    std::minstd_rand random(11);
    for (char& byte : incompressible)
        byte = static_cast<char>(random());
    writeFile(target, "");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(writeUnderFileSizeLimit(source, target, incompressible));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written anyway, 2: another reason, 3: no limit, 4: not left empty";
    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"d.docx", "new.docx"}));
    zip_discard(source);
}

} // namespace
} // namespace glyphmere::docengine
