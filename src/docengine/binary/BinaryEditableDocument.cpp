#include "docengine/binary/BinaryEditableDocument.h"

#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

namespace glyphmere::docengine {
namespace {

// Where the text of every story of a Word 97-2003 document is stored.
constexpr const char* kStoriesStream = "WordDocument";

class BinarySelection final : public StorySelection {
public:
    BinarySelection(WordBinaryDocument& document, std::vector<CpRange> ranges)
        : m_document(document), m_ranges(std::move(ranges))
    {
    }

    bool hasStory() const override { return !m_ranges.empty(); }

    StoryCounts apply(const FontChange& change) override
    {
        const BinaryStoryCounts counts = m_document.restyle(m_ranges, change);
        return {counts.runs, counts.paragraphMarks};
    }

private:
    WordBinaryDocument& m_document;
    std::vector<CpRange> m_ranges;
};

BinaryStory binaryStory(ViewedStory story)
{
    switch (story) {
    case ViewedStory::CurrentPageHeader:
        return BinaryStory::CurrentPageHeader;
    case ViewedStory::CurrentPageFooter:
        return BinaryStory::CurrentPageFooter;
    case ViewedStory::MainText:
        break;
    }
    return BinaryStory::MainText;
}

} // namespace

BinaryEditableDocument::BinaryEditableDocument(DocumentFileAccess access, const FontDescriber& fonts)
    : m_access(std::move(access)), m_document(m_access.readAll(), fonts)
{
}

std::unique_ptr<StorySelection> BinaryEditableDocument::select(ViewedStory story)
{
    return std::make_unique<BinarySelection>(m_document, m_document.story(binaryStory(story)));
}

std::vector<StoryChanges> BinaryEditableDocument::restyle(StoryReach reach, bool styles, const FontChange& change)
{
    if (styles)
        throw EngineError(messages::kWordBinaryStyles);
    std::vector<WordBinaryDocument::NamedStory> stories;
    if (reach == StoryReach::CurrentPageHeaderFooter) {
        stories.push_back({"header", m_document.story(BinaryStory::CurrentPageHeader)});
        stories.push_back({"footer", m_document.story(BinaryStory::CurrentPageFooter)});
    } else if (reach == StoryReach::AllStories) {
        stories = m_document.allStories();
    }
    const auto changesOf = [&](const std::string& name, const std::vector<CpRange>& ranges) {
        const BinaryStoryCounts counts = m_document.restyle(ranges, change);
        return StoryChanges{kStoriesStream, name, counts.runs, counts.paragraphMarks};
    };
    std::vector<StoryChanges> changes = {changesOf("main text", m_document.story(BinaryStory::MainText))};
    for (const WordBinaryDocument::NamedStory& story : stories) {
        if (!story.ranges.empty()) // the current page may have no such story
            changes.push_back(changesOf(story.name, story.ranges));
    }
    return changes;
}

void BinaryEditableDocument::save() { m_access.replaceWithBytes(m_document.savedBytes()); }

} // namespace glyphmere::docengine
