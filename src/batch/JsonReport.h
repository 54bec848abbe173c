#pragma once

#include "batch/Outcome.h"

#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::batch {

// text as a JSON string, quotes included. Control characters, quotes and backslashes are escaped; a byte
// that is not part of valid UTF-8 (a path may hold any bytes) is written as the lone surrogate
// \udc80-\udcff, which Python's surrogateescape turns back into that very byte.
std::string jsonString(std::string_view text);

// One line of a JSON Lines report: the document's object as the whole report holds it, and a newline.
std::string reportLine(const std::string& path, const Outcome& outcome);

// The report: {"interrupted": ..., "documents": [{"path", "status", "reason", "seconds"[, "stories"]}...]},
// one object per item, in input order.
std::string reportJson(const std::vector<std::string>& paths, const std::vector<Outcome>& outcomes, bool interrupted);

} // namespace glyphmere::batch
