#include "common/TemporaryNames.h"

#include "common/AbandonedTemporaries.h"
#include "common/FilePath.h"

#include <mutex>
#include <set>

namespace glyphmere::common {

namespace {

// Leaves room within the usual 255-byte name limit for our prefix and suffixes and libzip's own.
constexpr std::size_t kMaxNameInTemporary = 200;

bool isUniqueCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

} // namespace

std::optional<std::string> ownerNameOf(std::string_view name)
{
    const std::size_t marker = name.rfind(kTemporaryMarker);
    if (!name.starts_with('.') || marker == std::string_view::npos || marker == 0)
        return std::nullopt;
    const std::size_t end = marker + kTemporaryMarker.size() + kUniqueLength;
    if (name.size() < end)
        return std::nullopt;
    for (std::size_t i = marker + kTemporaryMarker.size(); i < end; ++i) {
        if (!isUniqueCharacter(name[i]))
            return std::nullopt;
    }
    return std::string(name.substr(0, end));
}

std::string ownerPathStem(const std::string& targetPath)
{
    return folderOf(targetPath) + "/." + fileNameOf(targetPath).substr(0, kMaxNameInTemporary) +
           std::string(kTemporaryMarker);
}

void addHiddenFile(HiddenFilesByOwner& byOwner, std::string_view name)
{
    if (const auto owner = ownerNameOf(name)) {
        auto& members = byOwner[*owner];
        if (name != *owner)
            members.emplace_back(name);
    }
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
