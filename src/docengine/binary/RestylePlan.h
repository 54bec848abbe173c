#pragma once

#include "docengine/binary/CharacterRuns.h"
#include "docengine/binary/PieceTable.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glyphmere::docengine {

struct RestylePlan {
    std::vector<CharacterRun> runs; // sorted, not overlapping
    int editedRuns = 0;
};

// Turns a property list into the restyled one (it receives nullopt for text without properties).
using PropertyEditor = std::function<std::string(const std::optional<std::string>& grpprl)>;

// The runs after restyling the bytes in `targets`: runs are split where a target starts or ends, every
// part inside a target gets its list edited, and target bytes no run covers get a run of their own; every
// other run keeps its list. `others` are the bytes of the text that must keep its properties: EngineError
// when a byte is both (the same stored text reached from two places), or when the runs overlap.
RestylePlan planRestyle(const std::vector<CharacterRun>& runs, std::vector<FcInterval> targets,
                        std::vector<FcInterval> others, const PropertyEditor& edit);

} // namespace glyphmere::docengine
