#pragma once

#include "docengine/files/UniqueFd.h"

#include <sys/stat.h>

#include <functional>
#include <string>

namespace glyphmere::docengine {

// The system calls of the safe save whose failure cannot be brought about on demand; a test passes its
// own to make them fail.
class FileOperations {
public:
    virtual ~FileOperations() = default;
    virtual int renameFile(const std::string& from, const std::string& to) const;
    virtual int syncFile(int fd) const;
};

// The operations as the system performs them.
const FileOperations& systemFileOperations();

// Replaces the regular file at targetPath (a resolved path, no link) with the file that writeTemporary
// writes at the path it is given: a new file beside the target. That file is flushed to disk, given the
// target's permission bits (and, for root, its owner and group), renamed over the target in one step, and
// the folder is flushed. Returns a read descriptor of the new file. On any failure the new file is removed,
// the target stays exactly as it was, and an EngineError says why ("the document could not be saved: ...").
// writeTemporary reports its own failures as EngineErrors.
UniqueFd replaceFileSafely(const std::string& targetPath, const struct stat& targetStatus,
                           const std::function<void(const std::string&)>& writeTemporary,
                           const FileOperations& operations);

} // namespace glyphmere::docengine
