#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::common {

// The names of a safe replacement's hidden files, the same on every system: the owner
// ".NAME.glyphmere-XXXXXX" (six letters or digits that make it unique) and files whose names start with it.
inline constexpr std::string_view kTemporaryMarker = ".glyphmere-";
inline constexpr std::size_t kUniqueLength = 6;
inline constexpr std::string_view kContentSuffix = ".new";
// A new owner file can be removed by another process's clean-up before we hold its lock; we then take
// another name, a few times at most.
inline constexpr int kOwnerAttempts = 8;

// The owner's name for the name of one of our hidden files; nullopt for any other name.
std::optional<std::string> ownerNameOf(std::string_view name);

// The owner's path beside targetPath without its unique letters: the folder, "/.", as much of the
// target's name as leaves room within the usual 255-byte name limit, and the marker.
std::string ownerPathStem(const std::string& targetPath);

// Our hidden files among a folder's names, by owner name: the other files that belong to each owner.
using HiddenFilesByOwner = std::map<std::string, std::vector<std::string>>;
void addHiddenFile(HiddenFilesByOwner& byOwner, std::string_view name);

} // namespace glyphmere::common
