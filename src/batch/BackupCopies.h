#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace glyphmere::batch {

// Keeps a byte-identical copy of each original under one folder before the run replaces it. A document
// below the current folder keeps its path relative to it (docs/a.docx -> FOLDER/docs/a.docx); any other
// keeps its full path without the leading "/" (/srv/a.docx -> FOLDER/srv/a.docx). Safe to use from
// several jobs at once.
class BackupCopies {
public:
    explicit BackupCopies(std::string folder);

    // Where the copy of the document at path goes.
    std::string copyPathFor(const std::string& path) const;

    // Copies the document at path, unless this run copied it already (a path listed twice is copied
    // before its first restyle only). A copy left by an earlier run is kept when it equals the document,
    // and refused otherwise, so that an original is never overwritten by a restyled version. Returns the
    // reason the copy could not be made, or nothing.
    std::optional<std::string> keepOriginal(const std::string& path);

private:
    std::string m_folder;
    std::mutex m_mutex;
    std::set<std::string> m_made;
};

} // namespace glyphmere::batch
