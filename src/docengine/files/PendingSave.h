#pragma once

#include "common/FileHandle.h"
#include "common/FileStatus.h"
#include "common/PendingReplacement.h"

#include <functional>

namespace glyphmere::docengine {

// A document's save whose new file is written but not yet in place (see common::PendingReplacement): the
// document on disk is still exactly as it was. commit() puts the new file in place, unless the document
// was changed on disk since the save looked at it; it fails with the EngineErrors, and the reasons, of a
// save that commits at once. Dropped uncommitted, it leaves the document as it was and no hidden file.
class PendingSave {
public:
    // What the new file must pass before it is put in place; called with a read handle of it, it
    // throws EngineError to refuse.
    using WrittenCheck = std::function<void(const common::FileHandle&)>;

    // checkedStatus: the document's file as the save found it, unchanged since it was opened.
    PendingSave(common::PendingReplacement replacement, const common::FileStatus& checkedStatus,
                WrittenCheck checkWritten = {});

    // A new read handle of the new file.
    common::FileHandle readDescriptor() const;
    // Checks the new file when the save gave a check, then flushes it, renames it over the document and
    // flushes the folder; EngineError with the
    // reason on failure, the document then being as it was. Call it at most once.
    // Returns a read handle of the document's new file and how it was put in place.
    common::CommittedFile commit();

private:
    common::PendingReplacement m_replacement;
    common::FileStatus m_checkedStatus;
    WrittenCheck m_checkWritten;
};

} // namespace glyphmere::docengine
