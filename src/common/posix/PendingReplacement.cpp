#include "common/PendingReplacement.h"

#include "common/AbandonedTemporaries.h"
#include "common/FilePath.h"
#include "common/ReplacementSteps.h"
#include "common/SystemErrorText.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace glyphmere::common {

namespace {

[[noreturn]] void throwSystemError(int error) { throw SystemError(error); }

// Makes the rename itself durable. Some file systems refuse to flush a folder; the file is already
// complete and in place by then, so that refusal is no failure of the replacement.
void syncFolder(const std::string& folder)
{
    UniqueFd handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.valid())
        ::fsync(handle.get());
}

} // namespace

FileHandle settleWrittenFile(const std::string& path, const NewFileAttributes& attributes)
{
    FileHandle written(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!written.valid())
        throwSystemError(errno);
    const int fd = static_cast<int>(written.get());
    if (::fchmod(fd, attributes.mode & 07777) != 0)
        throwSystemError(errno);
    if ((attributes.owner || attributes.group) && ::fchown(fd, attributes.owner.value_or(static_cast<uid_t>(-1)),
                                                           attributes.group.value_or(static_cast<gid_t>(-1))) != 0)
        throwSystemError(errno);
    return written;
}

CommittedFile PendingReplacement::commit()
{
    // Whatever happens, the hidden files go with these when this returns or throws.
    const std::unique_ptr<TemporaryFiles> temporary = std::move(m_temporary);
    FileHandle written = std::move(m_written);
    if (m_operations->syncFile(written) != 0)
        throwSystemError(errno);
    if (m_operations->renameFile(temporary->contentPath(), m_targetPath) != 0)
        throwSystemError(errno);
    temporary->markContentRenamed();
    syncFolder(folderOf(m_targetPath));
    return {std::move(written), PutInPlaceBy::Replacing};
}

} // namespace glyphmere::common
