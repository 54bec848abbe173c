#include "platform/posix/PosixFileSystem.h"

#include "platform/posix/WildcardMatch.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace glyphmere::platform::posix {
namespace {

constexpr unsigned kSelectingAttributes = FileAttribute::Hidden | FileAttribute::System | FileAttribute::Directory;

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

std::optional<struct stat> statFollowingLinks(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return status;
}

std::string_view lastName(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Folders and regular files only; every other kind of entry has no attributes in this service.
std::optional<unsigned> attributesOf(std::string_view name, const struct stat& status)
{
    if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode))
        return std::nullopt;
    unsigned result = FileAttribute::Normal;
    if (S_ISDIR(status.st_mode))
        result |= FileAttribute::Directory;
    if (!name.empty() && name.front() == '.')
        result |= FileAttribute::Hidden;
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        result |= FileAttribute::ReadOnly;
    return result;
}

std::string joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// The order in which NTFS lists names: without regard to case, ties broken byte by byte so the order
// never depends on the order of the directory's entries.
bool listsBefore(const std::string& a, const std::string& b)
{
    const auto caseless = [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), caseless))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), caseless))
        return false;
    return a < b;
}

bool isListed(const std::string& folder, const std::string& name, const std::string& pattern, unsigned mask)
{
    if (name == "." || name == ".." || !matchesWildcard(name, pattern))
        return false;
    const auto status = statFollowingLinks(joined(folder, name));
    if (!status)
        return false;
    const auto attributes = attributesOf(name, *status);
    return attributes && (*attributes & kSelectingAttributes & ~mask) == 0;
}

} // namespace

std::optional<std::vector<std::string>> PosixFileSystem::listDirectory(const std::string& folder,
                                                                       const std::string& pattern,
                                                                       unsigned attributeMask)
{
    const DirectoryHandle directory(opendir(folder.c_str()));
    if (!directory)
        return std::nullopt;
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (isListed(folder, name, pattern, attributeMask))
            names.push_back(std::move(name));
        errno = 0;
    }
    if (errno != 0)
        return std::nullopt;
    std::sort(names.begin(), names.end(), listsBefore);
    return names;
}

std::optional<unsigned> PosixFileSystem::attributes(const std::string& path)
{
    const auto status = statFollowingLinks(path);
    if (!status)
        return std::nullopt;
    return attributesOf(lastName(path), *status);
}

std::optional<FolderIdentity> PosixFileSystem::folderIdentity(const std::string& path)
{
    const auto status = statFollowingLinks(path);
    if (!status || !S_ISDIR(status->st_mode))
        return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(status->st_dev), static_cast<std::uint64_t>(status->st_ino)};
}

std::optional<std::int64_t> PosixFileSystem::lastChangeTime(const std::string& path)
{
    const auto status = statFollowingLinks(path);
    if (!status)
        return std::nullopt;
    return static_cast<std::int64_t>(status->st_mtime);
}

} // namespace glyphmere::platform::posix
