#pragma once

#include "common/FileHandle.h"

#include <cstddef>
#include <string>

namespace glyphmere::common {

// The hidden files of one safe replacement beside its target: the owner file ".NAME.glyphmere-XXXXXX",
// locked (flock on POSIX, opened without sharing on Windows) for as long as the replacement runs, and the new content,
// whose names all start with the owner's name. A writer that is killed leaves them behind unlocked; the next
// replacement in the folder removes them.
class TemporaryFiles {
public:
    // Creates and locks a new owner file beside targetPath, and the empty file for the new content.
    explicit TemporaryFiles(const std::string& targetPath);
    // Removes what is left of them (the content file unless it was renamed into place), then the owner,
    // whose lock ends with it.
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // Where the new content is written.
    const std::string& contentPath() const { return m_contentPath; }
    void markContentRenamed() { m_contentRenamed = true; }

private:
    std::string m_ownerPath;
    FileHandle m_owner;
    std::string m_contentPath;
    bool m_contentRenamed = false;
};

// Removes from folder the hidden files of replacements whose writer is gone: every owner file that no
// process holds locked, and every file named after such an owner or after one that no longer exists.
// Files that a running writer holds are never touched. Returns how many files were removed; a folder
// that cannot be listed removes nothing.
std::size_t removeAbandonedTemporaries(const std::string& folder);

// The same, at most once per folder in the life of the process: the first replacement in a folder
// clears what killed runs left there, and later ones do not list the folder again.
void removeAbandonedTemporariesOnce(const std::string& folder);

} // namespace glyphmere::common
