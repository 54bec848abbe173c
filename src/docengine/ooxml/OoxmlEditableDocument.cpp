#include "docengine/ooxml/OoxmlEditableDocument.h"

#include "docengine/ooxml/DocumentSettings.h"
#include "docengine/ooxml/FontPass.h"
#include "docengine/ooxml/Relationships.h"
#include "docengine/ooxml/RevisionClock.h"
#include "docengine/ooxml/StylePass.h"

#include <algorithm>
#include <array>
#include <optional>
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

std::vector<Story> storiesOf(WordprocessingDocument& document, StoryReach reach, const CurrentPageEntries& currentPage)
{
    std::vector<Story> stories{{document.mainEntry(), "main text"}};
    if (reach == StoryReach::CurrentPageHeaderFooter) {
        addStory(stories, currentPage.header, "header");
        addStory(stories, currentPage.footer, "footer");
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
std::optional<RevisionMark> formattingRevision(WordprocessingDocument& document, const UtcClock& utcNow)
{
    if (!document.tracksFormatting())
        return std::nullopt;
    document.loadRevisionIds();
    return RevisionMark{kRevisionAuthor, utcNow(), [&document] { return document.newRevisionId(); }};
}

std::optional<StoryChanges> styleChanges(WordprocessingDocument& document, const FontChange& change)
{
    const auto relationship = findByType(document.mainRelationships(), "styles");
    const std::optional<std::string> entry =
        relationship ? document.findEntry(relationship->targetEntry) : std::nullopt;
    if (!entry)
        return std::nullopt; // a document without styles takes Word's built-in defaults
    return StoryChanges{*entry, "styles", applyFontToStyles(document.editablePart(*entry), change), 0};
}

// The targets of one story, collected once; each change is recorded as a revision when the document
// tracks formatting.
class OoxmlSelection final : public StorySelection {
public:
    OoxmlSelection(WordprocessingDocument& document, StoryTargets targets, const UtcClock& utcNow)
        : m_document(document), m_targets(std::move(targets)), m_utcNow(utcNow)
    {
    }

    bool hasStory() const override { return m_targets.hasStory(); }

    StoryCounts apply(const FontChange& change) override
    {
        if (!m_targets.hasStory())
            return {};
        const std::optional<RevisionMark> revision = formattingRevision(m_document, m_utcNow);
        return m_targets.apply(change, revision ? &*revision : nullptr);
    }

private:
    WordprocessingDocument& m_document;
    StoryTargets m_targets;
    const UtcClock& m_utcNow;
};

} // namespace

OoxmlEditableDocument::OoxmlEditableDocument(std::unique_ptr<PackageFile> file, UtcClock utcNow)
    : m_file(std::move(file)), m_document(m_file->parts()),
      m_utcNow(utcNow ? std::move(utcNow) : UtcClock(currentUtcTime))
{
}

int OoxmlEditableDocument::savedViewType() { return docengine::savedViewType(m_document.settings()); }

std::unique_ptr<StorySelection> OoxmlEditableDocument::select(ViewedStory story)
{
    std::optional<std::string> entry = m_document.mainEntry();
    if (story == ViewedStory::CurrentPageHeader)
        entry = currentPage().header;
    else if (story == ViewedStory::CurrentPageFooter)
        entry = currentPage().footer;
    StoryTargets targets = entry ? StoryTargets::ofStory(m_document.editablePart(*entry)) : StoryTargets();
    return std::make_unique<OoxmlSelection>(m_document, std::move(targets), m_utcNow);
}

std::vector<StoryChanges> OoxmlEditableDocument::restyle(StoryReach reach, bool styles, const FontChange& change)
{
    const std::optional<RevisionMark> revision = formattingRevision(m_document, m_utcNow);
    const RevisionMark* mark = revision ? &*revision : nullptr;
    std::vector<StoryChanges> changes;
    const CurrentPageEntries noPage;
    const CurrentPageEntries& page = reach == StoryReach::CurrentPageHeaderFooter ? currentPage() : noPage;
    const std::vector<Story> stories = storiesOf(m_document, reach, page);
    // Every story is checked before the first one changes.
    for (const Story& story : stories)
        m_document.editablePart(story.entry);
    for (const Story& story : stories) {
        XmlPart& part = m_document.part(story.entry);
        const StoryCounts counts = applyFontToStory(part, change, mark);
        changes.push_back({story.entry, story.name, counts.runs, counts.paragraphMarks});
        if (reach != StoryReach::AllStories)
            continue;
        const StoryCounts boxes = applyFontToTextBoxes(part, change, mark);
        if (boxes.runs > 0 || boxes.paragraphMarks > 0)
            changes.push_back({story.entry, "text boxes", boxes.runs, boxes.paragraphMarks});
    }
    if (styles) {
        if (auto styleChange = styleChanges(m_document, change))
            changes.push_back(std::move(*styleChange));
    }
    return changes;
}

const CurrentPageEntries& OoxmlEditableDocument::currentPage()
{
    if (!m_currentPage)
        m_currentPage = currentPageEntries(m_document);
    return *m_currentPage;
}

DocumentFormat OoxmlEditableDocument::format() const
{
    if (m_document.isTemplate())
        return m_document.isMacroEnabled() ? DocumentFormat::MacroEnabledTemplate : DocumentFormat::Template;
    return m_document.isMacroEnabled() ? DocumentFormat::MacroEnabledDocument : DocumentFormat::Document;
}

void OoxmlEditableDocument::save() { m_file->saveReplacing(m_document.changedParts()); }

DocumentOpener ooxmlOpener(PackageFileOpener files)
{
    return [files = std::move(files)](const std::string& path,
                                      const UtcClock& utcNow) -> std::unique_ptr<EditableDocument> {
        return std::make_unique<OoxmlEditableDocument>(files(path), utcNow);
    };
}

} // namespace glyphmere::docengine
