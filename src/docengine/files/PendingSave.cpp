#include "docengine/files/PendingSave.h"

#include "common/SystemErrorText.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

namespace glyphmere::docengine {

PendingSave::PendingSave(common::PendingReplacement replacement, const common::FileStatus& checkedStatus,
                         WrittenCheck checkWritten)
    : m_replacement(std::move(replacement)), m_checkedStatus(checkedStatus), m_checkWritten(std::move(checkWritten))
{
}

common::FileHandle PendingSave::readDescriptor() const
{
    try {
        return m_replacement.readDescriptor();
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotSave(error.what()));
    }
}

common::CommittedFile PendingSave::commit()
{
    // Taken out first, so that the new file is gone whichever way this ends.
    common::PendingReplacement replacement = std::move(m_replacement);
    if (m_checkWritten) {
        try {
            m_checkWritten(replacement.readDescriptor());
        } catch (const common::SystemError& error) {
            throw EngineError(messages::cannotSave(error.what()));
        }
    }
    // A commit may come a while after the save looked at the document; another program's save meanwhile
    // is kept rather than overwritten.
    try {
        if (!common::unchangedSince(m_checkedStatus, common::statusOf(replacement.targetPath())))
            throw EngineError(messages::kChangedOnDisk);
        return replacement.commit();
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotSave(error.what()));
    }
}

} // namespace glyphmere::docengine
