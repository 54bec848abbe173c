#include "docengine/binary/RestylePlan.h"

#include "docengine/binary/BinaryFields.h"

#include <algorithm>
#include <map>

namespace glyphmere::docengine {

namespace {

// Sorted, with touching and overlapping intervals joined, empty ones dropped.
std::vector<FcInterval> merged(std::vector<FcInterval> intervals)
{
    std::erase_if(intervals, [](const FcInterval& interval) { return interval.start >= interval.end; });
    std::sort(intervals.begin(), intervals.end(), [](auto a, auto b) { return a.start < b.start; });
    std::vector<FcInterval> result;
    for (const FcInterval& interval : intervals) {
        if (!result.empty() && interval.start <= result.back().end)
            result.back().end = std::max(result.back().end, interval.end);
        else
            result.push_back(interval);
    }
    return result;
}

bool intersect(const std::vector<FcInterval>& a, const std::vector<FcInterval>& b)
{
    std::size_t j = 0;
    for (const FcInterval& interval : a) {
        while (j < b.size() && b[j].end <= interval.start)
            ++j;
        if (j < b.size() && b[j].start < interval.end)
            return true;
    }
    return false;
}

// The runs with a run without properties added for every target byte that no run covers.
std::vector<CharacterRun> withTargetsCovered(const std::vector<CharacterRun>& runs,
                                             const std::vector<FcInterval>& targets)
{
    std::vector<CharacterRun> all = runs;
    std::size_t next = 0;
    for (const FcInterval& target : targets) {
        std::uint32_t at = target.start;
        while (next < runs.size() && runs[next].fcEnd <= at)
            ++next;
        for (std::size_t i = next; i < runs.size() && runs[i].fcStart < target.end; ++i) {
            if (runs[i].fcStart > at)
                all.push_back({at, runs[i].fcStart, std::nullopt});
            at = std::max(at, runs[i].fcEnd);
        }
        if (at < target.end)
            all.push_back({at, target.end, std::nullopt});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.fcStart < b.fcStart; });
    return all;
}

} // namespace

RestylePlan planRestyle(const std::vector<CharacterRun>& runs, std::vector<FcInterval> targets,
                        std::vector<FcInterval> others, const PropertyEditor& edit)
{
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].fcStart >= runs[i].fcEnd || (i > 0 && runs[i].fcStart < runs[i - 1].fcEnd))
            refuseDamaged("the character property pages overlap or run backwards");
    }
    targets = merged(std::move(targets));
    if (intersect(targets, merged(std::move(others))))
        refuseDamaged("the piece table reaches the same text from two stories");

    RestylePlan plan;
    std::map<std::optional<std::string>, std::string> editedLists;
    std::size_t target = 0;
    for (const CharacterRun& run : withTargetsCovered(runs, targets)) {
        for (std::uint32_t at = run.fcStart; at < run.fcEnd;) {
            while (target < targets.size() && targets[target].end <= at)
                ++target;
            const bool inside = target < targets.size() && targets[target].start <= at;
            std::uint32_t end = run.fcEnd;
            if (target < targets.size())
                end = std::min(end, inside ? targets[target].end : targets[target].start);
            if (inside) {
                auto [entry, isNew] = editedLists.try_emplace(run.grpprl);
                if (isNew)
                    entry->second = edit(run.grpprl);
                plan.runs.push_back({at, end, entry->second});
                ++plan.editedRuns;
            } else {
                plan.runs.push_back({at, end, run.grpprl});
            }
            at = end;
        }
    }
    return plan;
}

} // namespace glyphmere::docengine
