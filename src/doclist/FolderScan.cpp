#include "doclist/FolderScan.h"

#include "doclist/AddFolder.h"

namespace glyphmere::doclist {

FolderScan::FolderScan(platform::Dialogs& dialogs, platform::FileSystem& fileSystem,
                       platform::WindowSystem& windowSystem, platform::PointerSetting& windowPointer, RowAppender& rows)
    : m_dialogs(dialogs), m_fileSystem(fileSystem), m_windowSystem(windowSystem), m_windowPointer(windowPointer),
      m_rows(rows)
{
}

void FolderScan::run()
{
    if (m_walking)
        return;
    const std::string extension = m_dialogs.inputBox(kExtensionPrompt, kDefaultExtension);
    if (extension.empty())
        return;
    const std::string folder = AddFolder::BrowseForFolder(m_dialogs, kFolderPrompt);
    if (folder.empty())
        return;
    const AddFolder::ScanResult result = walkUnderHourglass(folder, extension);
    if (!result.skipped.empty()) {
        m_dialogs.messageBox(AddFolder::skippedFoldersMessage(result.skipped, result.unexaminedEntries),
                             platform::MessageButtons::Ok);
    }
}

AddFolder::ScanResult FolderScan::walkUnderHourglass(const std::string& folder, const std::string& extension)
{
    const WalkingUnderHourglass walking(*this);
    AddFolder::ScanResult result = AddFolder::scanFolderTree(m_fileSystem, m_windowSystem, folder, extension);
    // Appended after the walk, at the bottom of the list as the user has left it meanwhile.
    for (const std::string& path : result.paths)
        m_rows.Add(path);
    return result;
}

FolderScan::WalkingUnderHourglass::WalkingUnderHourglass(FolderScan& scan) : m_scan(scan)
{
    m_scan.m_walking = true;
    m_scan.m_windowPointer.setMousePointer(platform::MousePointer::Hourglass);
}

FolderScan::WalkingUnderHourglass::~WalkingUnderHourglass()
{
    m_scan.m_windowPointer.setMousePointer(platform::MousePointer::Default);
    m_scan.m_walking = false;
}

} // namespace glyphmere::doclist
