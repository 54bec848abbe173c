#pragma once

#include "batch/BackupCopies.h"
#include "batch/BatchArguments.h"
#include "batch/InputList.h"
#include "batch/Outcome.h"
#include "batch/ParallelRun.h"
#include "platform/Automation.h"
#include "platform/posix/PosixFileSystem.h"
#include "word/OptionsSource.h"

#include <optional>

namespace glyphmere::batch {

// Restyles one item of the run and times it. Without an engine-only option it goes through Word's
// object model (word::RestyleDocument, one instance per document, as the window does); with one, through
// the engine's restyle request. With a backup folder the original is copied first, and a document whose
// copy fails is not touched. Safe to call from several jobs at once for different documents.
class DocumentRestyler {
public:
    // saveDeferral: where the engine keeps the documents' saves (see BatchEnvironment); null: one of its own.
    DocumentRestyler(const BatchArguments& arguments, platform::Automation& automation,
                     docengine::SaveDeferral* saveDeferral);

    // Gives the backup places to the documents in this order (realPaths: each item's exclusion key), so
    // that of two documents whose copies would share a place, the first keeps it and the later one fails.
    void claimBackupPlaces(const std::vector<std::string>& realPaths);

    // Restyles the item; realPath is its exclusion key, under which the backup copy is kept. The engine's
    // save is written but not yet in place: the result's commit puts it there (see SaveDeferral).
    DocumentResult restyle(const BatchItem& item, const std::string& realPath);

private:
    Outcome restyleFile(const std::string& fullPath, const std::string& realPath);

    platform::Automation& m_automation;
    platform::posix::PosixFileSystem m_fileSystem;
    word::FixedOptions m_options;
    std::optional<docengine::RestyleRequest> m_engineRequest;
    docengine::SaveDeferral m_ownDeferral;
    docengine::SaveDeferral& m_deferral;
    std::optional<BackupCopies> m_backups;
};

// The full path that Word is handed: it resolves a relative one against its own folder, not ours.
std::string fullPath(const std::string& file);

} // namespace glyphmere::batch
