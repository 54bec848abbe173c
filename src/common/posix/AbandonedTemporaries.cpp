#include "common/AbandonedTemporaries.h"

#include "common/FilePath.h"
#include "common/SystemErrorText.h"
#include "common/UniqueDirectory.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace glyphmere::common {
namespace {

constexpr std::string_view kMarker = ".glyphmere-";
constexpr std::size_t kUniqueLength = 6; // the characters that mkostemp puts in place of "XXXXXX"
constexpr const char* kContentSuffix = ".new";
// Leaves room within the usual 255-byte name limit for our prefix and suffixes and libzip's own.
constexpr std::size_t kMaxNameInTemporary = 200;
// A new owner file can be removed by another process's clean-up before we hold its lock; we then take
// another name, a few times at most.
constexpr int kOwnerAttempts = 8;

bool isUniqueCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The owner's name for the name of one of our hidden files (".NAME.glyphmere-XXXXXX" and names that start
// with it); nullopt for any other name.
std::optional<std::string> ownerNameOf(std::string_view name)
{
    const std::size_t marker = name.rfind(kMarker);
    if (!name.starts_with('.') || marker == std::string_view::npos || marker == 0)
        return std::nullopt;
    const std::size_t end = marker + kMarker.size() + kUniqueLength;
    if (name.size() < end)
        return std::nullopt;
    for (std::size_t i = marker + kMarker.size(); i < end; ++i) {
        if (!isUniqueCharacter(name[i]))
            return std::nullopt;
    }
    return std::string(name.substr(0, end));
}

bool namesFile(int fd, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Our hidden files in folder, by owner name: the other files that belong to each owner.
std::map<std::string, std::vector<std::string>> hiddenFilesByOwner(const std::string& folder)
{
    std::map<std::string, std::vector<std::string>> byOwner;
    const UniqueDirectory directory(::opendir(folder.c_str()));
    if (!directory)
        return byOwner;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (const auto owner = ownerNameOf(name)) {
            auto& members = byOwner[*owner];
            if (name != *owner)
                members.emplace_back(name);
        }
    }
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
    const std::string name = fileNameOf(targetPath).substr(0, kMaxNameInTemporary);
    for (int attempt = 0; attempt < kOwnerAttempts; ++attempt) {
        std::string pattern = folderOf(targetPath) + "/." + name + std::string(kMarker) + "XXXXXX";
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
    : m_owner(createLockedOwner(targetPath, m_ownerPath)), m_contentPath(m_ownerPath + kContentSuffix)
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

void removeAbandonedTemporariesOnce(const std::string& folder)
{
    static std::mutex mutex;
    static std::set<std::string> cleared;
    {
        const std::lock_guard lock(mutex);
        if (!cleared.insert(folder).second)
            return;
    }
    removeAbandonedTemporaries(folder);
}

} // namespace glyphmere::common
