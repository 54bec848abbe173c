#pragma once

#include "common/FileHandle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace glyphmere::common {

// How a new file took its target's place.
enum class PutInPlaceBy {
    // Renamed over it in one step (rename, or ReplaceFileW on Windows, where the target's attributes,
    // security, creation time and alternate data streams pass to the new file).
    Replacing,
    // Windows, where ReplaceFileW cannot be used (the target did not exist, or its file system does not
    // support replacing): MoveFileExW with write-through. The new file keeps its own security, and the
    // target's alternate data streams are gone.
    Moving,
};

// The system calls of the safe replacement whose failure cannot be brought about on demand; a test passes
// its own to make them fail. Each returns 0, or -1 with the reason where the system keeps it (errno, or
// GetLastError() on Windows). On Windows renameFile puts the new file in place of the old one keeping
// the old one's attributes, security and streams where it can, and returns kMovedInPlace where it could
// only move the new file there.
class FileOperations {
public:
    static constexpr int kMovedInPlace = 1;

    virtual ~FileOperations() = default;
    virtual int renameFile(const std::string& from, const std::string& to) const;
    virtual int syncFile(const FileHandle& file) const;
};

// The operations as the system performs them.
const FileOperations& systemFileOperations();

// What the new file gets on POSIX: permission bits, and an owner and group when they are to be set. (On
// Windows a replaced file keeps its own, and a new one gets the folder's.)
struct NewFileAttributes {
    std::uint32_t mode = 0600;
    std::optional<std::uint32_t> owner{};
    std::optional<std::uint32_t> group{};
};

// The attributes of the file that status describes, to be kept by its replacement: its permission bits,
// and, when we run as root (and so may give files away), its owner and group.
NewFileAttributes attributesToKeep(const FileStatus& status);

// Replaces the file at targetPath (a resolved path, no link; it need not exist yet) with the file that
// writeTemporary writes at the path it is given: a new, empty file beside the target, one of the hidden
// files of TemporaryFiles, which stay locked meanwhile (and the first replacement in a folder removes
// those that killed runs left). That file is given the attributes, flushed to disk, renamed over the
// target in one step, and the folder is flushed: prepareReplacement and its commit, back to back (see
// PendingReplacement.h). Returns a read handle of the new file. On any failure the new file is
// removed and the target stays exactly as it was; a failed system call throws SystemError, and whatever
// writeTemporary throws passes through.
FileHandle replaceFileSafely(const std::string& targetPath, const NewFileAttributes& attributes,
                             const std::function<void(const std::string&)>& writeTemporary,
                             const FileOperations& operations = systemFileOperations());

// The same with bytes as the new content.
void writeFileSafely(const std::string& targetPath, const std::string& bytes, const NewFileAttributes& attributes);

// Writes bytes as the whole content of the file at path (created when missing); SystemError on failure.
void writeWholeFile(const std::string& path, const std::string& bytes);

// The whole file at path (opened without blocking; a pipe too); SystemError when it cannot be read.
std::string readWholeFile(const std::string& path);

} // namespace glyphmere::common
