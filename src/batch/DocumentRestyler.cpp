#include "batch/DocumentRestyler.h"

#include "batch/SystemAccess.h"
#include "batch/Utf8Path.h"
#include "word/RestyleDocument.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>

namespace glyphmere::batch {
namespace {

// Said of a document that Windows could not replace in one step (a file system that does not support it).
constexpr const char* kMovedInPlace = "put in place by moving, as its file system cannot replace files: "
                                      "its security settings and alternate data streams were not kept";

} // namespace

DocumentRestyler::DocumentRestyler(const BatchArguments& arguments, platform::Automation& automation,
                                   docengine::SaveDeferral* saveDeferral)
    : m_automation(automation), m_fileSystem(os::fileSystemService()),
      m_options(arguments.fontName, arguments.fontSize, arguments.headersAndFooters),
      m_engineRequest(arguments.engineRequest()), m_deferral(saveDeferral ? *saveDeferral : m_ownDeferral)
{
    if (!arguments.backupFolder.empty())
        m_backups.emplace(arguments.backupFolder);
}

void DocumentRestyler::claimBackupPlaces(const std::vector<std::string>& realPaths)
{
    if (!m_backups)
        return;
    for (const std::string& realPath : realPaths)
        m_backups->claim(realPath); // a refusal is reported when that document's turn comes
}

DocumentResult DocumentRestyler::restyle(const BatchItem& item, const std::string& realPath)
{
    if (!item.refusal.empty())
        return Outcome{OutcomeStatus::Failed, item.refusal, 0, {}};
    const auto start = std::chrono::steady_clock::now();
    const std::string path = fullPath(item.path);
    Outcome outcome = restyleFile(path, realPath);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto saves = std::make_shared<std::vector<docengine::PendingSave>>(m_deferral.take(path));
    // A document that failed after its save was written stays as it was: the save is dropped.
    if (outcome.status != OutcomeStatus::Changed || saves->empty())
        return outcome;
    return {std::move(outcome), [saves] {
                bool moved = false;
                for (docengine::PendingSave& save : *saves)
                    moved = save.commit().by == common::PutInPlaceBy::Moving || moved;
                return moved ? std::string(kMovedInPlace) : std::string();
            }};
}

Outcome DocumentRestyler::restyleFile(const std::string& path, const std::string& realPath)
{
    // Word's own restyle makes this check first thing; it is made here too when a backup or the engine's
    // request comes before it.
    if (m_backups || m_engineRequest) {
        if (const auto refusal = word::refusalBeforeOpening(*m_fileSystem, path))
            return {OutcomeStatus::Failed, *refusal, 0, {}};
    }
    if (m_backups) {
        if (const auto failure = m_backups->keepOriginal(realPath))
            return {OutcomeStatus::Failed, *failure, 0, {}};
    }
    if (!m_engineRequest) {
        const word::RestyleResult result = word::RestyleDocument(m_automation, *m_fileSystem, m_options, path);
        return {result.ok ? OutcomeStatus::Changed : OutcomeStatus::Failed, result.reason, 0, {}};
    }
    try {
        auto stories = docengine::restyleDocumentFile(path, *m_engineRequest, &m_deferral);
        return {m_engineRequest->dryRun ? OutcomeStatus::DryRun : OutcomeStatus::Changed, "", 0, std::move(stories)};
    } catch (const std::exception& error) {
        // The document's failure is its outcome; the run goes on with the others.
        return {OutcomeStatus::Failed, error.what(), 0, {}};
    }
}

std::string fullPath(const std::string& file)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(pathFromUtf8(file), error);
    return error ? file : utf8FromPath(full);
}

} // namespace glyphmere::batch
