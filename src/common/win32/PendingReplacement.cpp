#include "common/PendingReplacement.h"

#include "common/AbandonedTemporaries.h"
#include "common/ReplacementSteps.h"
#include "common/SystemErrorText.h"

#include <windows.h>

namespace glyphmere::common {

namespace {

[[noreturn]] void throwLastError() { throw SystemError(static_cast<int>(GetLastError())); }

// FlushFileBuffers needs a handle that may write, which the replacement's own handles do not; this one is
// closed again before the new file is put in place.
void flushWritten(const std::string& path, const FileOperations& operations)
{
    const FileHandle writer = FileHandle::openForWriting(path);
    if (operations.syncFile(writer) != 0)
        throwLastError();
}

} // namespace

// Opened for reading only, as every handle the replacement hands out: ReplaceFileW refuses to move a new
// file that a handle of ours holds open for writing. Windows gives the new file the folder's security;
// ReplaceFileW later gives it the replaced document's own.
FileHandle settleWrittenFile(const std::string& path, const NewFileAttributes&)
{
    return FileHandle::openForReading(path);
}

CommittedFile PendingReplacement::commit()
{
    // Whatever happens, the hidden files go with these when this returns or throws.
    const std::unique_ptr<TemporaryFiles> temporary = std::move(m_temporary);
    FileHandle written = std::move(m_written);
    flushWritten(temporary->contentPath(), *m_operations);
    written.reset();
    const int renamed = m_operations->renameFile(temporary->contentPath(), m_targetPath);
    if (renamed < 0)
        throwLastError();
    temporary->markContentRenamed();
    return {FileHandle::openForReading(m_targetPath),
            renamed == FileOperations::kMovedInPlace ? PutInPlaceBy::Moving : PutInPlaceBy::Replacing};
}

} // namespace glyphmere::common
