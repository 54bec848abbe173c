#include "docengine/session/RestyleRequest.h"

#include "docengine/ooxml/DocumentFile.h"
#include "docengine/ooxml/FontPass.h"
#include "docengine/session/FontValues.h"
#include "docengine/ooxml/HeaderFooter.h"
#include "docengine/ooxml/RevisionClock.h"
#include "docengine/ooxml/Relationships.h"
#include "docengine/ooxml/StylePass.h"
#include "docengine/ooxml/WordDocument.h"

#include <algorithm>
#include <array>
#include <utility>

namespace glyphmere::docengine {
namespace {

// The relationship types of the main part whose targets are stories, with the story's name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kStoryTypes{{
    {"header", "header"},
    {"footer", "footer"},
    {"footnotes", "footnotes"},
    {"endnotes", "endnotes"},
    {"comments", "comments"},
}};

struct Story {
    std::string entry;
    std::string name;
};

void addStory(std::vector<Story>& stories, const std::optional<std::string>& entry, std::string_view name)
{
    const auto same = [&entry](const Story& story) { return story.entry == *entry; };
    if (entry && std::none_of(stories.begin(), stories.end(), same))
        stories.push_back({*entry, std::string(name)});
}

std::vector<Story> storiesOf(WordDocument& document, StoryReach reach)
{
    std::vector<Story> stories{{document.mainEntry(), "main text"}};
    if (reach == StoryReach::CurrentPageHeaderFooter) {
        addStory(stories, currentPageEntry(document, PageRegion::Header), "header");
        addStory(stories, currentPageEntry(document, PageRegion::Footer), "footer");
    } else if (reach == StoryReach::AllStories) {
        for (const Relationship& relationship : document.mainRelationships()) {
            for (const auto& [type, name] : kStoryTypes) {
                if (isRelationshipType(relationship.type, type))
                    addStory(stories, document.findEntry(relationship.targetEntry), name);
            }
        }
    }
    return stories;
}

// How a change is recorded when the document tracks formatting (its ids are read before any change).
std::optional<RevisionMark> formattingRevision(WordDocument& document)
{
    if (!document.tracksFormatting())
        return std::nullopt;
    document.loadRevisionIds();
    return RevisionMark{kRevisionAuthor, currentUtcTime(), [&document] { return document.newRevisionId(); }};
}

std::optional<StoryChanges> styleChanges(WordDocument& document, const FontChange& change)
{
    const auto relationship = findByType(document.mainRelationships(), "styles");
    const std::optional<std::string> entry = relationship ? document.findEntry(relationship->targetEntry)
                                                          : std::nullopt;
    if (!entry)
        return std::nullopt; // a document without styles takes Word's built-in defaults
    return StoryChanges{*entry, "styles", applyFontToStyles(document.part(*entry), change), 0};
}

std::vector<StoryChanges> applyRequest(WordDocument& document, const RestyleRequest& request,
                                       const FontChange& change)
{
    const std::optional<RevisionMark> revision = formattingRevision(document);
    const RevisionMark* mark = revision ? &*revision : nullptr;
    std::vector<StoryChanges> changes;
    for (const Story& story : storiesOf(document, request.reach)) {
        XmlPart& part = document.part(story.entry);
        const StoryCounts counts = applyFontToStory(part, change, mark);
        changes.push_back({story.entry, story.name, counts.runs, counts.paragraphMarks});
        if (request.reach != StoryReach::AllStories)
            continue;
        const StoryCounts boxes = applyFontToTextBoxes(part, change, mark);
        if (boxes.runs > 0 || boxes.paragraphMarks > 0)
            changes.push_back({story.entry, "text boxes", boxes.runs, boxes.paragraphMarks});
    }
    if (request.styles) {
        if (auto styles = styleChanges(document, change))
            changes.push_back(std::move(*styles));
    }
    return changes;
}

} // namespace

FontChange fontChangeFor(const RestyleRequest& request)
{
    FontChange change{checkedFontName(request.fontName), halfPointsFromSize(request.fontSize)};
    if (request.eastAsianFont)
        change.eastAsianName = checkedFontName(*request.eastAsianFont);
    if (request.complexScriptFont)
        change.complexScriptName = checkedFontName(*request.complexScriptFont);
    return change;
}

std::vector<StoryChanges> restyleDocumentFile(const std::string& path, const RestyleRequest& request)
{
    const FontChange change = fontChangeFor(request);
    const std::unique_ptr<DocumentFile> file = packageOpener()(path);
    WordDocument document(file->parts());
    std::vector<StoryChanges> changes = applyRequest(document, request, change);
    if (!request.dryRun)
        file->saveReplacing(document.changedParts());
    return changes;
}

} // namespace glyphmere::docengine
