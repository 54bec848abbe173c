#include "docengine/files/PendingSave.h"

#include "common/SystemErrorText.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <cerrno>

namespace glyphmere::docengine {

PendingSave::PendingSave(common::PendingReplacement replacement, const struct stat& checkedStatus,
                         WrittenCheck checkWritten)
    : m_replacement(std::move(replacement)), m_checkedStatus(checkedStatus), m_checkWritten(std::move(checkWritten))
{
}

common::UniqueFd PendingSave::readDescriptor() const
{
    try {
        return m_replacement.readDescriptor();
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotSave(error.what()));
    }
}

void PendingSave::commit()
{
    // Taken out first, so that the new file is gone whichever way this ends.
    common::PendingReplacement replacement = std::move(m_replacement);
    if (m_checkWritten) {
        try {
            m_checkWritten(replacement.readDescriptor().get());
        } catch (const common::SystemError& error) {
            throw EngineError(messages::cannotSave(error.what()));
        }
    }
    // A commit may come a while after the save looked at the document; another program's save meanwhile
    // is kept rather than overwritten.
    struct stat current {};
    if (::stat(replacement.targetPath().c_str(), &current) != 0)
        throw EngineError(messages::cannotSave(common::systemErrorText(errno)));
    if (!unchangedSince(m_checkedStatus, current))
        throw EngineError(messages::kChangedOnDisk);
    try {
        replacement.commit();
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotSave(error.what()));
    }
}

bool unchangedSince(const struct stat& before, const struct stat& now)
{
    return before.st_dev == now.st_dev && before.st_ino == now.st_ino && before.st_size == now.st_size &&
           before.st_mtim.tv_sec == now.st_mtim.tv_sec && before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

} // namespace glyphmere::docengine
