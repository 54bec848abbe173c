// The folder scan through the Win32 file-system service, over the tree that the Linux scan test builds.
#include "doclist/AddFolder.h"
#include "doclist/ScanTree.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"

#include "TestTree.h"
#include "TinyCheck.h"

#include <algorithm>

using namespace glyphmere;
using namespace glyphmere::platform::win32::test;
namespace scan_tree = doclist::scan_tree;

namespace {

class QuietWindowSystem final : public platform::WindowSystem {
public:
    platform::TwipSize screenSize() override { return {}; }
    std::string programFolder() override { return {}; }
    void processPendingEvents() override {}
    void endProgram() override {}
};

std::string windowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string lastName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The shared tree, with the hidden attribute on names that begin with "." and the system attribute
// where the table asks for it.
void buildSharedTree(const TemporaryTree& tree)
{
    for (const scan_tree::Entry& entry : scan_tree::allEntries()) {
        DWORD attributes = lastName(entry.path).front() == '.' ? FILE_ATTRIBUTE_HIDDEN : 0;
        if (entry.system)
            attributes |= FILE_ATTRIBUTE_SYSTEM;
        if (entry.folder)
            tree.folder(windowsPath(entry.path), attributes);
        else
            tree.file(windowsPath(entry.path), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
}

} // namespace

TEST_CASE(ScanFolderTree_GivesTheRowsOfTheLinuxScan)
{
    TemporaryTree tree;
    buildSharedTree(tree);
    CHECK(platform::win32::widen(tree.path(windowsPath(scan_tree::kDeepFolder))).size() > 260);
    platform::win32::Win32FileSystem files;
    QuietWindowSystem windowSystem;

    const doclist::AddFolder::ScanResult result =
        doclist::AddFolder::scanFolderTree(files, windowSystem, tree.root(), scan_tree::kExtension);

    std::vector<std::string> expected;
    for (const std::string& row : scan_tree::kRows)
        expected.push_back(tree.path(windowsPath(row)));
    CHECK_EQ(result.paths, expected);
    CHECK(result.skipped.empty());
}
