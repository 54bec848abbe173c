#include "batch/BackupCopies.h"

#include "batch/SystemAccess.h"
#include "batch/Utf8Path.h"
#include "common/SafeReplace.h"

#include <filesystem>
#include <stdexcept>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;

bool isBelow(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// Copies the file at path to copyPath; the reason when it could not.
std::optional<std::string> copyFile(const std::string& path, const std::string& copyPath)
{
    try {
        const std::string bytes = common::readWholeFile(path);
        const std::optional<std::uint32_t> permissions = os::permissionBits(path);
        if (!permissions)
            throw std::runtime_error("the document cannot be examined");
        if (os::pathExists(copyPath)) {
            if (common::readWholeFile(copyPath) == bytes)
                return std::nullopt;
            return "a different backup copy is already at " + copyPath + ", and it is kept";
        }
        os::createFolders(utf8FromPath(pathFromUtf8(copyPath).parent_path()));
        common::writeFileSafely(copyPath, bytes, {*permissions});
    } catch (const fs::filesystem_error& error) {
        return "the backup copy could not be made at " + copyPath + " (" + error.code().message() + ")";
    } catch (const std::exception& error) {
        return "the backup copy could not be made at " + copyPath + " (" + error.what() + ")";
    }
    return std::nullopt;
}

} // namespace

BackupCopies::BackupCopies(std::string folder) : m_folder(std::move(folder)) {}

std::string BackupCopies::copyPathFor(const std::string& realPath) const
{
    const fs::path full = fs::absolute(pathFromUtf8(realPath)).lexically_normal();
    const fs::path current = fs::current_path().lexically_normal();
    const fs::path kept = isBelow(full, current) ? full.lexically_relative(current) : full.relative_path();
    return utf8FromPath(pathFromUtf8(m_folder) / kept);
}

std::optional<std::string> BackupCopies::claim(const std::string& realPath)
{
    std::string copyPath;
    try {
        copyPath = copyPathFor(realPath);
    } catch (const fs::filesystem_error& error) {
        return "the backup copy could not be placed (" + error.code().message() + ")";
    }
    const std::lock_guard lock(m_mutex);
    const auto [owner, claimed] = m_owners.emplace(copyPath, realPath);
    if (!claimed && owner->second != realPath)
        return "its backup copy would go to " + copyPath + ", where the copy of " + owner->second + " goes";
    return std::nullopt;
}

std::optional<std::string> BackupCopies::keepOriginal(const std::string& realPath)
{
    if (std::optional<std::string> refusal = claim(realPath))
        return refusal;
    const std::string copyPath = copyPathFor(realPath);
    {
        const std::lock_guard lock(m_mutex);
        if (m_made.count(copyPath))
            return std::nullopt;
    }
    // Only the job holding this document writes its copy: no other document owns the place.
    std::optional<std::string> failure = copyFile(realPath, copyPath);
    if (!failure) {
        const std::lock_guard lock(m_mutex);
        m_made.insert(copyPath);
    }
    return failure;
}

} // namespace glyphmere::batch
