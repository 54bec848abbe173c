#include "docengine/files/DocumentFileAccess.h"

#include "common/FilePath.h"
#include "common/SystemErrorText.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/EngineError.h"
#include "docengine/files/LockFiles.h"
#include "docengine/EngineMessages.h"
#include "docengine/files/PendingSave.h"
#include "docengine/files/WriteAccess.h"

#include <memory>

namespace glyphmere::docengine {

using common::FileHandle;
using common::fileNameOf;
using common::FileStatus;
using common::folderOf;
using common::SystemError;

namespace {

[[noreturn]] void refuse(const std::string& reason) { throw EngineError(reason); }

// Opens without blocking and only a regular file: a FIFO or a device never reaches the open through the
// first check, and the second one catches a file swapped in between.
FileHandle openRegularFile(const std::string& path, FileStatus& status)
{
    try {
        status = common::statusOf(path);
        if (!status.regular)
            refuse(messages::kNotAWordDocument);
        FileHandle file = FileHandle::openForReading(path);
        status = file.status();
        if (!status.regular)
            refuse(messages::kNotAWordDocument);
        return file;
    } catch (const SystemError& error) {
        refuse(messages::cannotOpen(error.what()));
    }
}

FileContent wordContent(const FileHandle& file, const FileStatus& status)
{
    const FileContent content = sniffContent(file, status.size);
    switch (content) {
    case FileContent::ZipPackage:
    case FileContent::WordBinaryDocument:
        return content;
    case FileContent::EncryptedPackage:
        refuse(messages::kPasswordProtected);
    case FileContent::Other:
        break;
    }
    refuse(messages::kNotAWordDocument);
}

std::string resolvedPath(const std::string& path, std::string (*failure)(const std::string&))
{
    try {
        return common::resolvedPath(path);
    } catch (const SystemError& error) {
        refuse(failure(error.what()));
    }
}

FileStatus statusOrRefuse(const std::string& path, std::string (*failure)(const std::string&))
{
    try {
        return common::statusOf(path);
    } catch (const SystemError& error) {
        refuse(failure(error.what()));
    }
}

void refuseUnlessReplaceable(const std::string& realPath, const FileHandle& file, const FileStatus& status)
{
    if (!allowsWriting(status))
        refuse(messages::kReadOnly);
    if (onReadOnlyFileSystem(file))
        refuse(messages::kReadOnlyFileSystem);
    if (!folderAllowsReplacing(statusOrRefuse(folderOf(realPath), messages::cannotOpen)))
        refuse(messages::kFolderReadOnly);
}

// Looks beside the path as given and, for a link, beside its target too: either program may have
// opened the document under either name.
void refuseWhenLocked(const std::string& path, const std::string& realPath)
{
    for (const std::string& candidate : {path, realPath}) {
        if (const auto lockFile = findLockFile(folderOf(candidate), fileNameOf(candidate)))
            refuse(messages::lockedBy(*lockFile));
        if (realPath == path)
            return;
    }
}

// Writes the new file beside target, whose status is current; it is not in place yet.
PendingSave writtenSave(const std::string& target, const FileStatus& current,
                        const std::function<void(const std::string&)>& writeTemporary,
                        const common::FileOperations& fileOperations, PendingSave::WrittenCheck checkWritten)
{
    try {
        return PendingSave(
            common::prepareReplacement(target, common::attributesToKeep(current), writeTemporary, fileOperations),
            current, std::move(checkWritten));
    } catch (const common::SystemError& error) {
        refuse(messages::cannotSave(error.what()));
    }
}

} // namespace

DocumentFileAccess::DocumentFileAccess(std::string path, const common::FileOperations& fileOperations)
    : m_path(std::move(path)), m_fileOperations(&fileOperations)
{
}

DocumentFileAccess DocumentFileAccess::open(const std::string& path, const common::FileOperations& fileOperations)
{
    DocumentFileAccess access(path, fileOperations);
    access.m_file = openRegularFile(path, access.m_status);
    access.m_content = wordContent(access.m_file, access.m_status);
    const std::string realPath = resolvedPath(path, messages::cannotOpen);
    refuseUnlessReplaceable(realPath, access.m_file, access.m_status);
    refuseWhenLocked(path, realPath);
    return access;
}

std::string DocumentFileAccess::readAll() const
{
    if (m_status.size > kLargestWholeRead)
        refuse(messages::kTooLarge);
    try {
        return common::readToEnd(m_file);
    } catch (const SystemError& error) {
        refuse(messages::cannotOpen(error.what()));
    }
}

FileHandle DocumentFileAccess::replaceWith(const std::function<void(const std::string&)>& writeTemporary,
                                           PendingSave::WrittenCheck checkWritten) const
{
    const std::string target = resolvedPath(m_path, messages::cannotSave);
    const FileStatus current = statusOrRefuse(target, messages::cannotSave);
    if (!common::unchangedSince(m_status, current))
        refuse(messages::kChangedOnDisk);
    if (!allowsWriting(current))
        refuse(messages::kReadOnly);
    PendingSave save = writtenSave(target, current, writeTemporary, *m_fileOperations, std::move(checkWritten));
    if (!m_deferral)
        return save.commit().file;
    FileHandle written = save.readDescriptor();
    m_deferral->keep(m_path, std::move(save));
    return written;
}

bool DocumentFileAccess::adopt(FileHandle written)
{
    try {
        m_status = written.status();
    } catch (const SystemError&) {
        return false; // the caller keeps the old file, and a further save is refused as a change on disk
    }
    m_file = std::move(written);
    return true;
}

void DocumentFileAccess::replaceWithBytes(const std::string& bytes)
{
    adopt(replaceWith([&bytes](const std::string& temporaryPath) { common::writeWholeFile(temporaryPath, bytes); }));
}

} // namespace glyphmere::docengine
