#pragma once

#include "common/PendingReplacement.h"
#include "common/UniqueFd.h"

#include <sys/stat.h>

#include <functional>

namespace glyphmere::docengine {

// A document's save whose new file is written but not yet in place (see common::PendingReplacement): the
// document on disk is still exactly as it was. commit() puts the new file in place, unless the document
// was changed on disk since the save looked at it; it fails with the EngineErrors, and the reasons, of a
// save that commits at once. Dropped uncommitted, it leaves the document as it was and no hidden file.
class PendingSave {
public:
    // What the new file must pass before it is put in place; called with a read descriptor of it, it
    // throws EngineError to refuse.
    using WrittenCheck = std::function<void(int)>;

    // checkedStatus: the document's file as the save found it, unchanged since it was opened.
    PendingSave(common::PendingReplacement replacement, const struct stat& checkedStatus,
                WrittenCheck checkWritten = {});

    // A new read descriptor of the new file.
    common::UniqueFd readDescriptor() const;
    // Checks the new file when the save gave a check, then flushes it, renames it over the document and
    // flushes the folder; EngineError with the
    // reason on failure, the document then being as it was. Call it at most once.
    void commit();

private:
    common::PendingReplacement m_replacement;
    struct stat m_checkedStatus;
    WrittenCheck m_checkWritten;
};

// Whether now describes the file that before described, unchanged: the same file, size and time of change.
bool unchangedSince(const struct stat& before, const struct stat& now);

} // namespace glyphmere::docengine
