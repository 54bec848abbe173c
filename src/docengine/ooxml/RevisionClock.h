#pragma once

#include <string>

namespace glyphmere::docengine {

// The author of the revision marks that the engine records for tracked formatting.
inline constexpr const char* kRevisionAuthor = "Glyphmere";

// The current time in UTC, ISO 8601 to the second ("2024-05-01T09:30:00Z"), as revision marks carry it.
std::string currentUtcTime();

} // namespace glyphmere::docengine
