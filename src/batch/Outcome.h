#pragma once

#include "docengine/session/RestyleRequest.h"

#include <string>
#include <vector>

namespace glyphmere::batch {

enum class OutcomeStatus { Changed, Failed, DryRun, NotStarted };

// How one document of the run ended.
struct Outcome {
    OutcomeStatus status = OutcomeStatus::NotStarted;
    std::string reason; // for Failed: why; for Changed: a note on how it was saved, or empty
    double seconds = 0;
    std::vector<docengine::StoryChanges> stories; // for DryRun
};

// The printed line for path: "changed: PATH" (or "changed: PATH (NOTE)"), "failed: PATH: REASON", "would change: PATH:
// ..." or "not started: PATH".
std::string outcomeLine(const std::string& path, const Outcome& outcome);

// The status as the report writes it: "changed", "failed", "dry run" or "not started".
const char* statusName(OutcomeStatus status);

} // namespace glyphmere::batch
