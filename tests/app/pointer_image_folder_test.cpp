#include "app/PointerImageFolder.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace glyphmere::app {
namespace {

// An installed layout in a temporary folder: the program in bin/, its data in share/glyphmere/.
class PointerImageFolderTest : public ::testing::Test {
protected:
    PointerImageFolderTest()
    {
        std::filesystem::create_directories(m_programFolder);
        std::filesystem::create_directories(m_dataFolder);
    }

    const testing_support::TemporaryFolder m_root;
    const std::string m_programFolder = m_root.file("bin");
    const std::string m_dataFolder = m_root.file("share/glyphmere");
    platform::posix::PosixFileSystem m_fileSystem;
};

TEST_F(PointerImageFolderTest, ProgramFolderFirst_ThenTheDataFolder)
{
    struct Case {
        bool besideProgram;
        bool inDataFolder;
        bool expectDataFolder;
    };
    const Case cases[] = {{true, false, false}, {true, true, false}, {false, true, true}, {false, false, false}};
    for (const Case& c : cases) {
        const std::string name = "image" + std::to_string(&c - cases) + ".ico";
        if (c.besideProgram)
            testing_support::writeFile(m_programFolder + "/" + name, "beside");
        if (c.inDataFolder)
            testing_support::writeFile(m_dataFolder + "/" + name, "data");

        const std::string folder = pointerImageFolder(m_fileSystem, m_programFolder, name);

        const std::string expected = c.expectDataFolder ? m_dataFolder : m_programFolder;
        EXPECT_TRUE(std::filesystem::equivalent(folder, expected)) << name << ": " << folder;
    }
}

} // namespace
} // namespace glyphmere::app
