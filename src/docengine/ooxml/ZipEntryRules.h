#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::docengine {

// Why an entry name cannot be carried safely (empty, absolute, a drive prefix, a backslash, a "." or ".."
// segment), or nothing when the name is fine.
std::optional<std::string> unsafeEntryNameProblem(std::string_view name);

// The key under which entry names that a reader could take for the same part collide: without a
// leading "/", ASCII letters in lower case.
std::string entryNameKey(std::string_view name);

} // namespace glyphmere::docengine
