#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::batch {

// The paths of the documents that a report written by --report left undone (status "failed" or "not
// started"), in the report's order. Reads the whole-file JSON report, the JSON Lines report, and several
// of either joined one after the other (as `cat` joins shard reports). A path's bytes come back exactly
// as they were, also those that the report wrote as \udc80-\udcff. Throws std::runtime_error saying what
// is wrong when text is not such a report.
std::vector<std::string> undoneDocuments(std::string_view text);

} // namespace glyphmere::batch
