#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace glyphmere::platform {

// File attributes as the directory listing reports them. On Linux a name beginning with "." is hidden
// and nothing has the system attribute.
namespace FileAttribute {
inline constexpr unsigned Normal = 0;
inline constexpr unsigned ReadOnly = 1;
inline constexpr unsigned Hidden = 2;
inline constexpr unsigned System = 4;
inline constexpr unsigned Directory = 16;
inline constexpr unsigned Archive = 32;
} // namespace FileAttribute

// Identifies a folder however it was reached (through links or not), so a walk can tell a folder it
// has already entered.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend auto operator<=>(const FolderIdentity&, const FolderIdentity&) = default;
};

struct FolderListing {
    std::vector<std::string> subfolders;
    std::vector<std::string> files;
    std::vector<std::string> unexamined;
};

// What a path leads to, a link followed.
enum class PathKind { Missing, RegularFile, Folder, Other, Unexaminable };

struct PathStatus {
    PathKind kind = PathKind::Missing;
    std::string problem; // with Unexaminable: the system's reason, as a sentence fragment
};

// The first bytes of a file, or none.
struct FileStart {
    std::optional<std::string> bytes;
    std::string problem; // without bytes: why the file could not be read, as a clause; empty for no regular file
};

// The file-system operations that the logic needs.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The names in folder that match pattern ('*' and '?', case-insensitive; "" matches every name) and
    // whose hidden, system and directory attributes are all within attributeMask, as the Windows
    // directory listing selects them: mask 16 gives folders and ordinary files, mask 6 ordinary, hidden
    // and system files. Only folders (links to folders count) and regular files are listed, sorted
    // case-insensitively. std::nullopt when the folder cannot be listed.
    virtual std::optional<std::vector<std::string>> listDirectory(const std::string& folder, const std::string& pattern,
                                                                  unsigned attributeMask) = 0;
    // What a folder walk needs of one folder (which ends in a separator), each list sorted as
    // listDirectory sorts: the subfolders that are neither hidden nor system (links to folders
    // included), the files that listDirectory(folder, filePattern, Hidden | System) gives, and the
    // visible entries whose kind could not be told. std::nullopt when the folder cannot be listed. This
    // one lists the folder twice and asks each entry's attributes; a service whose listing tells the
    // kinds reads the folder once.
    virtual std::optional<FolderListing> listFolder(const std::string& folder, const std::string& filePattern);
    // The attributes of one path (a link is followed); std::nullopt when they cannot be read.
    virtual std::optional<unsigned> attributes(const std::string& path) = 0;
    virtual std::optional<FolderIdentity> folderIdentity(const std::string& path) = 0;
    // Seconds since the epoch of the last change; std::nullopt when the path cannot be examined.
    virtual std::optional<std::int64_t> lastChangeTime(const std::string& path) = 0;
    // The kind of what path leads to; anything but a folder or a regular file (a FIFO, a device) is Other.
    virtual PathStatus pathStatus(const std::string& path) = 0;
    // Up to count bytes from the start of the regular file at path (fewer when it is shorter); none when it
    // is no regular file or cannot be read, with the reason in the latter case. Never waits on a FIFO or a device.
    virtual FileStart firstBytes(const std::string& path, std::size_t count) = 0;
};

} // namespace glyphmere::platform
