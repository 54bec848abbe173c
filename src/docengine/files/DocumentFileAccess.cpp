#include "docengine/files/DocumentFileAccess.h"

#include "common/FilePath.h"
#include "common/SystemErrorText.h"
#include "docengine/files/DeferredSaves.h"
#include "docengine/EngineError.h"
#include "docengine/files/LockFiles.h"
#include "docengine/EngineMessages.h"
#include "docengine/files/PendingSave.h"
#include "docengine/files/WriteAccess.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace glyphmere::docengine {

using common::fileNameOf;
using common::folderOf;
using common::systemErrorText;
using common::UniqueFd;

namespace {

[[noreturn]] void refuse(const std::string& reason) { throw EngineError(reason); }

// Opens without blocking and only a regular file: a FIFO or a device never reaches open() through the
// first check, and the second one catches a file swapped in between.
UniqueFd openRegularFile(const std::string& path, struct stat& status)
{
    if (::stat(path.c_str(), &status) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!S_ISREG(status.st_mode))
        refuse(messages::kNotAWordDocument);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (::fstat(fd.get(), &status) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!S_ISREG(status.st_mode))
        refuse(messages::kNotAWordDocument);
    return fd;
}

FileContent wordContent(int fd, const struct stat& status)
{
    const FileContent content = sniffContent(fd, static_cast<std::uint64_t>(status.st_size));
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
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    if (!resolved)
        refuse(failure(systemErrorText(errno)));
    return resolved.get();
}

void refuseUnlessReplaceable(const std::string& realPath, int fd, const struct stat& status)
{
    if (!modeAllowsWriting(status))
        refuse(messages::kReadOnly);
    struct statvfs fileSystem {};
    if (::fstatvfs(fd, &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY))
        refuse(messages::kReadOnlyFileSystem);
    struct stat folder {};
    if (::stat(folderOf(realPath).c_str(), &folder) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!folderModeAllowsReplacing(folder))
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
PendingSave writtenSave(const std::string& target, const struct stat& current,
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
    access.m_fd = openRegularFile(path, access.m_status);
    access.m_content = wordContent(access.fd(), access.m_status);
    const std::string realPath = resolvedPath(path, messages::cannotOpen);
    refuseUnlessReplaceable(realPath, access.fd(), access.m_status);
    refuseWhenLocked(path, realPath);
    return access;
}

std::string DocumentFileAccess::readAll() const
{
    if (static_cast<std::uint64_t>(m_status.st_size) > kLargestWholeRead)
        refuse(messages::kTooLarge);
    try {
        if (::lseek(fd(), 0, SEEK_SET) != 0)
            throw common::SystemError(errno);
        return common::readAll(fd());
    } catch (const common::SystemError& error) {
        refuse(messages::cannotOpen(error.what()));
    }
}

UniqueFd DocumentFileAccess::replaceWith(const std::function<void(const std::string&)>& writeTemporary,
                                         PendingSave::WrittenCheck checkWritten) const
{
    const std::string target = resolvedPath(m_path, messages::cannotSave);
    struct stat current {};
    if (::stat(target.c_str(), &current) != 0)
        refuse(messages::cannotSave(systemErrorText(errno)));
    if (!unchangedSince(m_status, current))
        refuse(messages::kChangedOnDisk);
    if (!modeAllowsWriting(current))
        refuse(messages::kReadOnly);
    PendingSave save = writtenSave(target, current, writeTemporary, *m_fileOperations, std::move(checkWritten));
    UniqueFd written = save.readDescriptor();
    if (DeferredSaves* deferred = DeferredSaves::current())
        deferred->keep(std::move(save));
    else
        save.commit();
    return written;
}

bool DocumentFileAccess::adopt(UniqueFd written)
{
    struct stat writtenStatus {};
    if (::fstat(written.get(), &writtenStatus) != 0)
        return false;
    m_fd = std::move(written);
    m_status = writtenStatus;
    return true;
}

void DocumentFileAccess::replaceWithBytes(const std::string& bytes)
{
    adopt(replaceWith([&bytes](const std::string& temporaryPath) { common::writeWholeFile(temporaryPath, bytes); }));
}

} // namespace glyphmere::docengine
