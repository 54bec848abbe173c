#pragma once

#include "doclist/AddFolder.h"
#include "doclist/RowAppender.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/MousePointer.h"
#include "platform/WindowSystem.h"

namespace glyphmere::doclist {

inline constexpr const char* kExtensionPrompt = "Enter file extension to load:";
inline constexpr const char* kDefaultExtension = "doc";
inline constexpr const char* kFolderPrompt = "Please select folder to add:";

// The work of "Add All Word File(s) In Folder": asks for an extension and a folder, walks the folder
// tree under the hourglass while the window keeps handling events, then appends every matching file
// at the bottom of the list in one go. The window owns one.
class FolderScan {
public:
    FolderScan(platform::Dialogs& dialogs, platform::FileSystem& fileSystem, platform::WindowSystem& windowSystem,
               platform::PointerSetting& windowPointer, RowAppender& rows);

    // A press while an earlier scan still walks does nothing.
    void run();
    // True while a walk owns the hourglass.
    bool isWalking() const { return m_walking; }

private:
    // Marks the walk and shows the hourglass for its lifetime, so that every way out of the walk, an
    // exception included, gives the pointer back and lets the next press walk again.
    class WalkingUnderHourglass {
    public:
        explicit WalkingUnderHourglass(FolderScan& scan);
        ~WalkingUnderHourglass();
        WalkingUnderHourglass(const WalkingUnderHourglass&) = delete;
        WalkingUnderHourglass& operator=(const WalkingUnderHourglass&) = delete;

    private:
        FolderScan& m_scan;
    };

    AddFolder::ScanResult walkUnderHourglass(const std::string& folder, const std::string& extension);

    platform::Dialogs& m_dialogs;
    platform::FileSystem& m_fileSystem;
    platform::WindowSystem& m_windowSystem;
    platform::PointerSetting& m_windowPointer;
    RowAppender& m_rows;
    bool m_walking = false;
};

} // namespace glyphmere::doclist
