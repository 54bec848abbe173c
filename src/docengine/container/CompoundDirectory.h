#pragma once

#include "docengine/container/CompoundLayout.h"

#include <string>
#include <vector>

namespace glyphmere::docengine::cfb {

// The directory entries the tree reaches from the root, walked without recursion; each entry is reached at
// most once and only inside the directory, so a damaged tree ends with a reason instead of a loop.
std::vector<DirectoryEntry> readDirectory(const std::string& bytes, const CompoundLayout& layout);

} // namespace glyphmere::docengine::cfb
