#pragma once

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/WindowSystem.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The folder browse and the folder walk behind "Add All Word File(s) In Folder".
namespace glyphmere::doclist::AddFolder {

// What one walk of a folder tree reads and notes down. It lives for one scan only, so nothing that the
// user does while the walk lets the window handle events can reach it.
struct Walk {
    platform::FileSystem& fileSystem;
    platform::WindowSystem& windowSystem;
    std::string filePattern;
    std::set<platform::FolderIdentity> visited;
    // The matching files of each folder listed, noted as the folder is read for its subfolders, so that
    // no folder is read twice.
    std::map<std::string, std::vector<std::string>> matchingFiles;
    std::vector<std::string> skipped;  // folders and entries that could not be read, each once
    std::size_t unexaminedEntries = 0; // how many of them are entries whose kind could not be told

    // A folder that could not be read.
    void skip(const std::string& path);
    // An entry that could not be examined, so whether it is a folder is not known.
    void skipUnexamined(const std::string& path);
    // Whether the folder is entered: it can be examined and was not reached before by another way.
    bool enterOnce(const std::string& folder);
};

// The chosen folder's full path, or "" when the user cancels.
std::string BrowseForFolder(platform::Dialogs& dialogs, const std::string& title);

// Appends every folder below the ones in folders, breadth-first: one level per call, each folder ending
// in one separator. Hidden folders are not entered; pending window events are handled as it goes. Each
// folder is read once: its files that match the walk's pattern are noted in walk.matchingFiles.
void CollectSubfolders(std::vector<std::string>& folders, Walk& walk);

// The names of the ordinary, hidden and system files in folder that match pattern, in listing order;
// none when the folder cannot be listed.
std::optional<std::vector<std::string>> ListMatchingFiles(platform::FileSystem& fileSystem, std::string folder,
                                                          const std::string& pattern);

struct ScanResult {
    std::vector<std::string> paths; // to append, in order
    std::vector<std::string> skipped;
    std::size_t unexaminedEntries = 0; // how many of skipped are entries rather than folders
};

// Whether a file name is a lock file that a word processor keeps beside an open document: Word's
// "~$NAME" (any name beginning with "~") and LibreOffice's ".~lock.NAME#".
bool isLockFileName(std::string_view name);

// The full paths of the files with the extension in folder and every folder below it, folder by folder
// in breadth-first order; lock files are left out.
ScanResult scanFolderTree(platform::FileSystem& fileSystem, platform::WindowSystem& windowSystem,
                          const std::string& folder, const std::string& extension);

// The message that names what a scan had to skip (at most 10 of them): folders that could not be read,
// and unexaminedEntries entries among them whose kind could not be told.
std::string skippedFoldersMessage(const std::vector<std::string>& skipped, std::size_t unexaminedEntries);

} // namespace glyphmere::doclist::AddFolder
