#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace glyphmere::batch {

// Keeps a byte-identical copy of each original under one folder before the run replaces it. Copies are
// placed by the document's real path (links resolved): one below the current folder keeps its path
// relative to it (docs/a.docx -> FOLDER/docs/a.docx); any other keeps its full path without the leading
// "/" (/srv/a.docx -> FOLDER/srv/a.docx). Each place belongs to the first document that claims it; a
// different document that would land on the same place is refused, never copied over it nor left
// without a copy. Safe to use from several jobs at once, as long as two jobs never hold the same
// document (the run's exclusion keys are these real paths), so no two jobs ever write one copy.
class BackupCopies {
public:
    explicit BackupCopies(std::string folder);

    // Where the copy of the document at realPath goes.
    std::string copyPathFor(const std::string& realPath) const;

    // Gives the document its copy's place unless a different document has it; the reason otherwise.
    // Claiming every document in input order first decides which of two documents keeps a place.
    std::optional<std::string> claim(const std::string& realPath);

    // Copies the document at realPath, unless this run copied it already (a document listed twice, under
    // any name, is copied before its first restyle only). A copy left by an earlier run is kept when it
    // equals the document, and refused otherwise, so that an original is never overwritten by a restyled
    // version. Returns the reason the copy could not be made, or nothing.
    std::optional<std::string> keepOriginal(const std::string& realPath);

private:
    std::string m_folder;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_owners; // copy path -> the real path of its document
    std::set<std::string> m_made;
};

} // namespace glyphmere::batch
