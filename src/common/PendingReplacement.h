#pragma once

#include "common/SafeReplace.h"
#include "common/FileHandle.h"

#include <functional>
#include <memory>
#include <string>

namespace glyphmere::common {

class TemporaryFiles;

// A replacement's new file, now in place.
struct CommittedFile {
    FileHandle file; // a read handle of it
    PutInPlaceBy by = PutInPlaceBy::Replacing;
};

// The first half of a safe replacement: the new file is written beside its target, one of the locked
// hidden files of TemporaryFiles, and given its attributes, but it is neither flushed nor renamed yet, so
// the target is still exactly as it was. commit() does the rest: it flushes the file, renames it over the
// target in one step and flushes the folder. A replacement dropped uncommitted (destroyed, or moved
// from and destroyed) removes its hidden files and leaves the target as it was. Movable, so that the
// commit can be done later or on another thread.
class PendingReplacement {
public:
    PendingReplacement(PendingReplacement&&) noexcept;
    PendingReplacement& operator=(PendingReplacement&&) noexcept;
    ~PendingReplacement();

    // The resolved path that commit() replaces.
    const std::string& targetPath() const { return m_targetPath; }
    // A new read handle of the new file: the very file that commit() renames into place.
    FileHandle readDescriptor() const;
    // Flushes the new file, renames it over the target and flushes the folder, and returns a read handle
    // of the file now in place and how it got there. A failed flush or rename throws SystemError and removes the new
    // file, the target staying as it was; either way the hidden files are gone when it returns. Call it at most once.
    // (On Windows the new file is put in place best while no handle of it is open: see ReplaceInPlace.h.)
    CommittedFile commit();

private:
    friend PendingReplacement prepareReplacement(const std::string&, const NewFileAttributes&,
                                                 const std::function<void(const std::string&)>&, const FileOperations&);
    PendingReplacement(std::string targetPath, std::unique_ptr<TemporaryFiles> temporary, FileHandle written,
                       const FileOperations& operations);

    std::string m_targetPath;
    std::unique_ptr<TemporaryFiles> m_temporary;
    FileHandle m_written;
    const FileOperations* m_operations;
};

// Writes the new file of a replacement of targetPath (a resolved path, no link; it need not exist yet)
// with writeTemporary, which is given the path to write, and gives it the attributes (the first
// replacement in a folder also removes the hidden files that killed runs left there). On any failure the
// new file is removed; a failed system call throws SystemError, and whatever writeTemporary throws passes
// through. operations must outlive the pending replacement.
PendingReplacement prepareReplacement(const std::string& targetPath, const NewFileAttributes& attributes,
                                      const std::function<void(const std::string&)>& writeTemporary,
                                      const FileOperations& operations = systemFileOperations());

} // namespace glyphmere::common
