#include "batch/InputList.h"

#include "doclist/AddFolder.h"
#include "platform/posix/PosixFileSystem.h"

namespace glyphmere::batch {
namespace {

constexpr const char* kUnreadable = "it could not be read, so no document below it was added";

struct ScanInterrupted {};

// The walk's window-system services without a window: between two steps it only looks whether a stop
// was requested, and leaves the walk when it was.
class HeadlessWalk final : public platform::WindowSystem {
public:
    explicit HeadlessWalk(const std::atomic<bool>& stop) : m_stop(stop) {}

    platform::TwipSize screenSize() override { return {}; }
    std::string programFolder() override { return {}; }
    void processPendingEvents() override
    {
        if (m_stop.load())
            throw ScanInterrupted();
    }
    void endProgram() override {}

private:
    const std::atomic<bool>& m_stop;
};

void appendFolder(InputList& list, const std::string& folder, const std::string& extension,
                  platform::FileSystem& fileSystem, HeadlessWalk& walk)
{
    doclist::AddFolder::ScanResult scan = doclist::AddFolder::scanFolderTree(fileSystem, walk, folder, extension);
    for (std::string& skipped : scan.skipped)
        list.items.push_back({std::move(skipped), kUnreadable});
    for (std::string& path : scan.paths)
        list.items.push_back({std::move(path), ""});
}

} // namespace

InputList listInputs(const std::vector<BatchInput>& inputs, const std::string& extension,
                     const std::atomic<bool>& stop)
{
    InputList list;
    platform::posix::PosixFileSystem fileSystem;
    HeadlessWalk walk(stop);
    try {
        for (const BatchInput& input : inputs) {
            if (input.isFolder)
                appendFolder(list, input.path, extension, fileSystem, walk);
            else
                list.items.push_back({input.path, ""});
        }
    } catch (const ScanInterrupted&) {
        list.interrupted = true;
    }
    return list;
}

} // namespace glyphmere::batch
