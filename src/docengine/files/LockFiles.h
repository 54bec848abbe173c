#pragma once

#include <optional>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// The names of the lock files other programs keep beside a document named fileName while they have it
// open: Word's owner file ("~$" replacing as many leading characters as its name-length rule drops) and
// LibreOffice's ".~lock.NAME#".
std::vector<std::string> lockFileNames(const std::string& fileName);

// The name of the first of those lock files that exists in folder, if any.
std::optional<std::string> findLockFile(const std::string& folder, const std::string& fileName);

} // namespace glyphmere::docengine
