#include "batch/Outcome.h"

namespace glyphmere::batch {
namespace {

std::string counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string storySummary(const docengine::StoryChanges& story)
{
    std::string text = story.story + " (" + story.entry + ") ";
    if (story.story == "styles")
        return text + counted(story.runs, "property set", "property sets");
    return text + counted(story.runs, "run", "runs") + ", " +
           counted(story.paragraphMarks, "paragraph mark", "paragraph marks");
}

} // namespace

std::string outcomeLine(const std::string& path, const Outcome& outcome)
{
    switch (outcome.status) {
    case OutcomeStatus::Changed:
        return "changed: " + path + (outcome.reason.empty() ? "" : " (" + outcome.reason + ")");
    case OutcomeStatus::Failed:
        return "failed: " + path + ": " + outcome.reason;
    case OutcomeStatus::NotStarted:
        return "not started: " + path;
    case OutcomeStatus::DryRun:
        break;
    }
    std::string line = "would change: " + path + ":";
    for (std::size_t i = 0; i < outcome.stories.size(); ++i)
        line += (i == 0 ? " " : "; ") + storySummary(outcome.stories[i]);
    return line;
}

const char* statusName(OutcomeStatus status)
{
    switch (status) {
    case OutcomeStatus::Changed:
        return "changed";
    case OutcomeStatus::Failed:
        return "failed";
    case OutcomeStatus::DryRun:
        return "dry run";
    case OutcomeStatus::NotStarted:
        break;
    }
    return "not started";
}

} // namespace glyphmere::batch
