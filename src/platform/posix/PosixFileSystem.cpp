#include "platform/posix/PosixFileSystem.h"

#include "platform/posix/WildcardMatch.h"

#include "common/AsciiCase.h"
#include "common/FileRange.h"
#include "common/SystemErrorText.h"
#include "common/UniqueDirectory.h"
#include "common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glyphmere::platform::posix {
namespace {

constexpr unsigned kSelectingAttributes = FileAttribute::Hidden | FileAttribute::System | FileAttribute::Directory;

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
std::optional<unsigned> kindAttributes(std::string_view name, mode_t kind)
{
    if (kind != S_IFDIR && kind != S_IFREG)
        return std::nullopt;
    unsigned result = kind == S_IFDIR ? FileAttribute::Directory : FileAttribute::Normal;
    if (!name.empty() && name.front() == '.')
        result |= FileAttribute::Hidden;
    return result;
}

constexpr mode_t kNoKind = 0; // gone since the listing, or a link that leads nowhere

// The kind of an entry (a link followed), from the listing itself where the file system reports it,
// which spares one examination per entry; std::nullopt when the entry could not be examined.
std::optional<mode_t> entryKind(int folderDescriptor, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_DIR:
        return S_IFDIR;
    case DT_REG:
        return S_IFREG;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return kNoKind; // a FIFO, a socket or a device: never listed
    }
    struct stat status {};
    if (fstatat(folderDescriptor, entry.d_name, &status, 0) == 0)
        return status.st_mode & S_IFMT;
    if (errno == ENOENT || errno == ELOOP)
        return kNoKind;
    return std::nullopt;
}

// The order in which NTFS lists names: without regard to case, ties broken byte by byte so the order
// never depends on the order of the directory's entries.
bool listsBefore(const std::string& a, const std::string& b)
{
    if (common::lessIgnoringCase(a, b))
        return true;
    if (common::lessIgnoringCase(b, a))
        return false;
    return a < b;
}

bool isListed(int folderDescriptor, const dirent& entry, const std::string& pattern, unsigned mask)
{
    const std::string_view name = entry.d_name;
    if (name == "." || name == ".." || !matchesWildcard(name, pattern))
        return false;
    const std::optional<mode_t> kind = entryKind(folderDescriptor, entry);
    const std::optional<unsigned> attributes = kind ? kindAttributes(name, *kind) : std::nullopt;
    return attributes && (*attributes & kSelectingAttributes & ~mask) == 0;
}

// Reads every entry of folder once; false when the folder cannot be listed to its end.
template <typename EachEntry>
bool readEntries(const std::string& folder, EachEntry eachEntry)
{
    const common::UniqueDirectory directory(opendir(folder.c_str()));
    if (!directory)
        return false;
    errno = 0;
    while (const dirent* entry = readdir(directory.get())) {
        eachEntry(dirfd(directory.get()), *entry);
        errno = 0;
    }
    return errno == 0;
}

} // namespace

std::optional<std::vector<std::string>> PosixFileSystem::listDirectory(const std::string& folder,
                                                                       const std::string& pattern,
                                                                       unsigned attributeMask)
{
    std::vector<std::string> names;
    const bool listed = readEntries(folder, [&](int folderDescriptor, const dirent& entry) {
        if (isListed(folderDescriptor, entry, pattern, attributeMask))
            names.emplace_back(entry.d_name);
    });
    if (!listed)
        return std::nullopt;
    std::sort(names.begin(), names.end(), listsBefore);
    return names;
}

std::optional<FolderListing> PosixFileSystem::listFolder(const std::string& folder, const std::string& filePattern)
{
    FolderListing listing;
    const bool listed = readEntries(folder, [&](int folderDescriptor, const dirent& entry) {
        const std::string_view name = entry.d_name;
        // Hidden folders ("." and ".." among them) are never entered; hidden files are listed.
        const bool mayBeFolder = name.front() != '.';
        const bool mayBeFile = name != "." && name != ".." && matchesWildcard(name, filePattern);
        if (!mayBeFolder && !mayBeFile)
            return;
        const std::optional<mode_t> kind = entryKind(folderDescriptor, entry);
        if (!kind) {
            if (mayBeFolder)
                listing.unexamined.emplace_back(name);
        } else if (*kind == S_IFDIR && mayBeFolder) {
            listing.subfolders.emplace_back(name);
        } else if (*kind == S_IFREG && mayBeFile) {
            listing.files.emplace_back(name);
        }
    });
    if (!listed)
        return std::nullopt;
    for (std::vector<std::string>* names : {&listing.subfolders, &listing.files, &listing.unexamined})
        std::sort(names->begin(), names->end(), listsBefore);
    return listing;
}

std::optional<unsigned> PosixFileSystem::attributes(const std::string& path)
{
    const auto status = statFollowingLinks(path);
    if (!status)
        return std::nullopt;
    std::optional<unsigned> result = kindAttributes(lastName(path), status->st_mode & S_IFMT);
    if (result && (status->st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        *result |= FileAttribute::ReadOnly;
    return result;
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

PathStatus PosixFileSystem::pathStatus(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {PathKind::Missing, {}};
        return {PathKind::Unexaminable, std::generic_category().message(errno)};
    }
    if (S_ISREG(status.st_mode))
        return {PathKind::RegularFile, {}};
    return {S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::Other, {}};
}

FileStart PosixFileSystem::firstBytes(const std::string& path, std::size_t count)
{
    // Without O_NONBLOCK, opening a FIFO would wait for a writer; the kind is then read from what was opened.
    const common::UniqueFd file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0)
        return {std::nullopt, common::systemErrorText(errno)};
    if (!S_ISREG(status.st_mode))
        return {};
    std::string bytes(count, '\0');
    const common::RangeRead read = common::readFileRange(file.get(), 0, bytes.data(), count);
    if (read.error != 0)
        return {std::nullopt, common::systemErrorText(read.error)};
    bytes.resize(read.count);
    return {std::move(bytes), {}};
}

} // namespace glyphmere::platform::posix
