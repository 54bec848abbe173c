#include "doclist/AddFolder.h"

#include "platform/PathSeparator.h"

#include <algorithm>
#include <iterator>

namespace glyphmere::doclist::AddFolder {
namespace {

using platform::kPathSeparator;

constexpr unsigned kFileMask = platform::FileAttribute::Hidden | platform::FileAttribute::System;
constexpr std::size_t kFirstRoom = 100;
constexpr std::size_t kMoreRoom = 50;
constexpr std::size_t kSkippedNamed = 10;

std::string withTrailingSeparator(const std::string& folder)
{
    return !folder.empty() && folder.back() == kPathSeparator ? folder : folder + kPathSeparator;
}

// Lists one folder and notes each of its subfolders in found.
void collectChildFolders(const std::string& folder, Walk& walk, std::vector<std::string>& found)
{
    std::optional<platform::FolderListing> listing = walk.fileSystem.listFolder(folder, walk.filePattern);
    walk.windowSystem.processPendingEvents();
    if (!listing) {
        walk.skip(folder);
        return;
    }
    walk.matchingFiles[folder] = std::move(listing->files);
    for (const std::string& name : listing->unexamined)
        walk.skipUnexamined(folder + name);
    for (const std::string& name : listing->subfolders) {
        walk.windowSystem.processPendingEvents();
        const std::string path = folder + name;
        if (walk.enterOnce(path))
            found.push_back(path + kPathSeparator);
    }
}

std::string countOf(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string skippedHeadline(std::size_t folders, std::size_t entries)
{
    if (entries == 0) {
        return countOf(folders, "folder could not be read, so the documents in it were not added:",
                       "folders could not be read, so the documents in them were not added:");
    }
    if (folders == 0) {
        return countOf(entries, "entry could not be examined, so it was left out with anything below it:",
                       "entries could not be examined, so they were left out with anything below them:");
    }
    return countOf(folders, "folder", "folders") + " could not be read and " + countOf(entries, "entry", "entries") +
           " could not be examined, so the documents in or below them were not added:";
}

} // namespace

void Walk::skip(const std::string& path)
{
    if (std::find(skipped.begin(), skipped.end(), path) == skipped.end())
        skipped.push_back(path);
}

void Walk::skipUnexamined(const std::string& path)
{
    if (std::find(skipped.begin(), skipped.end(), path) != skipped.end())
        return;
    skipped.push_back(path);
    ++unexaminedEntries;
}

bool isLockFileName(std::string_view name)
{
    return name.starts_with('~') || (name.starts_with(".~lock.") && name.ends_with('#'));
}

bool Walk::enterOnce(const std::string& folder)
{
    const std::optional<platform::FolderIdentity> identity = fileSystem.folderIdentity(folder);
    if (!identity) {
        skip(folder);
        return false;
    }
    // A link back to an ancestor, or a second way to the same folder, leads nowhere new.
    return visited.insert(*identity).second;
}

std::string BrowseForFolder(platform::Dialogs& dialogs, const std::string& title)
{
    return dialogs.browseForFolder(title);
}

void CollectSubfolders(std::vector<std::string>& folders, Walk& walk)
{
    std::vector<std::string> found;
    for (const std::string& folder : folders)
        collectChildFolders(folder, walk, found);
    if (!found.empty())
        CollectSubfolders(found, walk);
    for (std::string& entry : found) {
        walk.windowSystem.processPendingEvents();
        folders.push_back(std::move(entry));
    }
}

std::optional<std::vector<std::string>> ListMatchingFiles(platform::FileSystem& fileSystem, std::string folder,
                                                          const std::string& pattern)
{
    folder = withTrailingSeparator(folder);
    const auto listed = fileSystem.listDirectory(folder, pattern, kFileMask);
    if (!listed)
        return std::nullopt;
    std::vector<std::string> names;
    names.reserve(kFirstRoom);
    for (const std::string& name : *listed) {
        if (names.size() == names.capacity())
            names.reserve(names.capacity() + kMoreRoom);
        names.push_back(name);
    }
    names.shrink_to_fit();
    return names;
}

ScanResult scanFolderTree(platform::FileSystem& fileSystem, platform::WindowSystem& windowSystem,
                          const std::string& folder, const std::string& extension)
{
    Walk walk{fileSystem, windowSystem, "*." + extension, {}, {}, {}};
    std::vector<std::string> folders{withTrailingSeparator(folder)};
    ScanResult result;
    if (walk.enterOnce(folders.front()))
        CollectSubfolders(folders, walk);
    else
        folders.clear();
    // Folder by folder in the walk's order, from what each folder's one reading noted.
    for (const std::string& each : folders) {
        for (const std::string& name : walk.matchingFiles[each]) {
            if (!isLockFileName(name))
                result.paths.push_back(each + name);
        }
    }
    result.skipped = std::move(walk.skipped);
    result.unexaminedEntries = walk.unexaminedEntries;
    return result;
}

std::string skippedFoldersMessage(const std::vector<std::string>& skipped, std::size_t unexaminedEntries)
{
    const std::size_t count = skipped.size();
    std::string text = skippedHeadline(count - std::min(count, unexaminedEntries), unexaminedEntries);
    for (std::size_t i = 0; i < std::min(count, kSkippedNamed); ++i)
        text += "\r\n" + skipped[i];
    if (count > kSkippedNamed)
        text += "\r\n... and " + std::to_string(count - kSkippedNamed) + " more.";
    return text;
}

} // namespace glyphmere::doclist::AddFolder
