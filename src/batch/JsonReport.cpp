#include "batch/JsonReport.h"

#include "common/Utf8.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace glyphmere::batch {
namespace {

std::string unicodeEscape(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", value);
    return text;
}

std::string escapedAscii(char c)
{
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        break;
    }
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 || code == 0x7F ? unicodeEscape(code) : std::string(1, c);
}

std::string storiesJson(const std::vector<docengine::StoryChanges>& stories)
{
    std::string json = ", \"stories\": [";
    for (std::size_t i = 0; i < stories.size(); ++i) {
        const docengine::StoryChanges& story = stories[i];
        json += (i == 0 ? "" : ", ") + std::string("{\"part\": ") + jsonString(story.entry) +
                ", \"story\": " + jsonString(story.story) + ", \"runs\": " + std::to_string(story.runs) +
                ", \"paragraphMarks\": " + std::to_string(story.paragraphMarks) + "}";
    }
    return json + "]";
}

std::string documentJson(const std::string& path, const Outcome& outcome)
{
    std::ostringstream json;
    json << "{\"path\": " << jsonString(path) << ", \"status\": " << jsonString(statusName(outcome.status))
         << ", \"reason\": " << jsonString(outcome.reason) << ", \"seconds\": " << std::fixed << std::setprecision(3)
         << outcome.seconds;
    if (outcome.status == OutcomeStatus::DryRun)
        json << storiesJson(outcome.stories);
    json << '}';
    return json.str();
}

} // namespace

std::string jsonString(std::string_view text)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = common::validUtf8Length(text.substr(i));
        if (length == 0) {
            json += unicodeEscape(0xDC00 + static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            json += length == 1 ? escapedAscii(text[i]) : std::string(text.substr(i, length));
            i += length;
        }
    }
    return json + "\"";
}

std::string reportLine(const std::string& path, const Outcome& outcome) { return documentJson(path, outcome) + "\n"; }

std::string reportJson(const std::vector<std::string>& paths, const std::vector<Outcome>& outcomes, bool interrupted)
{
    std::string json = std::string("{\"interrupted\": ") + (interrupted ? "true" : "false") + ", \"documents\": [";
    for (std::size_t i = 0; i < paths.size(); ++i)
        json += (i == 0 ? "\n  " : ",\n  ") + documentJson(paths[i], outcomes[i]);
    return json + "\n]}\n";
}

} // namespace glyphmere::batch
