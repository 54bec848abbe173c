#include "docengine/files/SafeSave.h"

#include "docengine/files/EngineError.h"
#include "docengine/files/FilePath.h"
#include "docengine/files/PackageMessages.h"
#include "docengine/files/SystemErrorText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace glyphmere::docengine {

namespace {

// Leaves room within the usual 255-byte name limit for our prefix and suffix and libzip's own.
constexpr std::size_t kMaxNameInTemporary = 200;

// The new file, removed unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_renamed)
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }
    void markRenamed() { m_renamed = true; }

private:
    std::string m_path;
    bool m_renamed = false;
};

[[noreturn]] void throwSaveFailure(int error)
{
    throw EngineError(messages::cannotSave(systemErrorText(error)));
}

std::string createTemporaryFile(const std::string& targetPath)
{
    const std::string name = fileNameOf(targetPath).substr(0, kMaxNameInTemporary);
    std::string pattern = folderOf(targetPath) + "/." + name + ".glyphmere-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        throwSaveFailure(errno);
    ::close(fd);
    return pattern;
}

// Gives the written file the target's permission bits (and owner, when we may) and flushes it.
UniqueFd settleWrittenFile(const std::string& path, const struct stat& targetStatus,
                           const FileOperations& operations)
{
    UniqueFd written(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!written.valid())
        throwSaveFailure(errno);
    if (::fchmod(written.get(), targetStatus.st_mode & 07777) != 0)
        throwSaveFailure(errno);
    if (::geteuid() == 0 && ::fchown(written.get(), targetStatus.st_uid, targetStatus.st_gid) != 0)
        throwSaveFailure(errno);
    if (operations.syncFile(written.get()) != 0)
        throwSaveFailure(errno);
    return written;
}

// Makes the rename itself durable. Some file systems refuse to flush a folder; the document is already
// complete and in place by then, so that refusal is no failure of the save.
void syncFolder(const std::string& folder)
{
    UniqueFd handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.valid())
        ::fsync(handle.get());
}

} // namespace

int FileOperations::renameFile(const std::string& from, const std::string& to) const
{
    return ::rename(from.c_str(), to.c_str());
}

int FileOperations::syncFile(int fd) const
{
    return ::fsync(fd);
}

const FileOperations& systemFileOperations()
{
    static const FileOperations operations;
    return operations;
}

UniqueFd replaceFileSafely(const std::string& targetPath, const struct stat& targetStatus,
                           const std::function<void(const std::string&)>& writeTemporary,
                           const FileOperations& operations)
{
    TemporaryFile temporary(createTemporaryFile(targetPath));
    writeTemporary(temporary.path());
    UniqueFd written = settleWrittenFile(temporary.path(), targetStatus, operations);
    if (operations.renameFile(temporary.path(), targetPath) != 0)
        throwSaveFailure(errno);
    temporary.markRenamed();
    syncFolder(folderOf(targetPath));
    return written;
}

} // namespace glyphmere::docengine
