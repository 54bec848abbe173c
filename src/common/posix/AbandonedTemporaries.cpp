#include "common/AbandonedTemporaries.h"

#include "common/TemporaryNames.h"
#include "common/SystemErrorText.h"
#include "common/UniqueDirectory.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace glyphmere::common {
namespace {

bool namesFile(int fd, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Our hidden files in folder, by owner name: the other files that belong to each owner.
HiddenFilesByOwner hiddenFilesByOwner(const std::string& folder)
{
    HiddenFilesByOwner byOwner;
    const UniqueDirectory directory(::opendir(folder.c_str()));
    if (!directory)
        return byOwner;
    while (const dirent* entry = ::readdir(directory.get()))
        addHiddenFile(byOwner, entry->d_name);
    return byOwner;
}

std::size_t removeFiles(const std::string& folder, const std::vector<std::string>& names)
{
    std::size_t removed = 0;
    for (const std::string& name : names)
        removed += ::unlink((folder + "/" + name).c_str()) == 0 ? 1 : 0;
    return removed;
}

// Removes the owner's files when no writer holds the owner locked. A missing owner means its writer has
// finished (it removes its other files before the owner), so what is left of it is abandoned.
std::size_t removeIfAbandoned(const std::string& folder, const std::string& owner,
                              const std::vector<std::string>& members)
{
    const std::string ownerPath = folder + "/" + owner;
    const UniqueFd fd(::open(ownerPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return errno == ENOENT ? removeFiles(folder, members) : 0;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    // Held by a writer, or a file system without locks: either way, not ours to remove.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || !namesFile(fd.get(), ownerPath))
        return 0;
    // Still holding the lock, so that no writer can take the owner's name until it is gone.
    const std::size_t removed = removeFiles(folder, members);
    return removed + (::unlink(ownerPath.c_str()) == 0 ? 1 : 0);
}

// A new owner file beside targetPath, locked; its path goes to ownerPath.
FileHandle createLockedOwner(const std::string& targetPath, std::string& ownerPath)
{
    for (int attempt = 0; attempt < kOwnerAttempts; ++attempt) {
        std::string pattern = ownerPathStem(targetPath) + "XXXXXX";
        UniqueFd owner(::mkostemp(pattern.data(), O_CLOEXEC));
        if (!owner.valid())
            throw SystemError(errno);
        int locked = 0;
        do {
            locked = ::flock(owner.get(), LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        // Without locks on this file system no clean-up can take the lock either, so the file stays safe.
        if (locked != 0 || namesFile(owner.get(), pattern)) {
            ownerPath = std::move(pattern);
            return FileHandle(owner.release());
        }
    }
    throw SystemError(EEXIST);
}

} // namespace

TemporaryFiles::TemporaryFiles(const std::string& targetPath)
    : m_owner(createLockedOwner(targetPath, m_ownerPath)), m_contentPath(m_ownerPath + std::string(kContentSuffix))
{
    const UniqueFd content(::open(m_contentPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!content.valid()) {
        const int error = errno;
        ::unlink(m_ownerPath.c_str());
        throw SystemError(error);
    }
}

TemporaryFiles::~TemporaryFiles()
{
    if (!m_contentRenamed)
        ::unlink(m_contentPath.c_str());
    ::unlink(m_ownerPath.c_str());
}

std::size_t removeAbandonedTemporaries(const std::string& folder)
{
    std::size_t removed = 0;
    for (const auto& [owner, members] : hiddenFilesByOwner(folder))
        removed += removeIfAbandoned(folder, owner, members);
    return removed;
}

} // namespace glyphmere::common
