#include "docengine/binary/HeaderStories.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/FirstSection.h"

namespace glyphmere::docengine {

namespace {

constexpr const char* kWhat = "the header table";
constexpr std::size_t kSeparatorStories = 6;
constexpr std::size_t kStoriesPerSection = 6;
constexpr std::size_t kEvenHeader = 0, kOddHeader = 1, kFirstHeader = 4;
constexpr std::size_t kFooterOffset = 2; // even 0 → 2, odd 1 → 3
constexpr std::size_t kFirstFooter = 5;

} // namespace

HeaderStories HeaderStories::parse(std::string_view plcfHdd, std::uint32_t start, std::uint32_t length)
{
    HeaderStories stories;
    stories.m_start = start;
    if (length == 0)
        return stories;
    if (plcfHdd.size() < 8 || plcfHdd.size() % 4 != 0)
        refuseDamaged("the header table has a size that does not fit its entries");
    // The last position is undefined and ignored; the one before it ends the last story.
    const std::size_t count = plcfHdd.size() / 4 - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t position = fieldU32(plcfHdd, i * 4, kWhat);
        if (position > length || (!stories.m_positions.empty() && position < stories.m_positions.back()))
            refuseDamaged("the header table's positions are out of order or outside the header text");
        stories.m_positions.push_back(position);
    }
    return stories;
}

std::optional<CpRange> HeaderStories::story(std::size_t index) const
{
    if (index + 1 >= m_positions.size())
        return std::nullopt;
    const std::uint32_t from = m_positions[index];
    const std::uint32_t to = m_positions[index + 1];
    if (to - from < 2) // empty, or nothing but its guard paragraph mark
        return std::nullopt;
    return CpRange{m_start + from, m_start + to - 1};
}

std::vector<HeaderStories::SectionStory> HeaderStories::sectionStories() const
{
    std::vector<SectionStory> result;
    for (std::size_t index = kSeparatorStories; index + 1 < m_positions.size(); ++index) {
        const std::size_t kind = (index - kSeparatorStories) % kStoriesPerSection;
        if (const auto range = story(index))
            result.push_back({kind == 2 || kind == 3 || kind == kFirstFooter, *range});
    }
    return result;
}

std::optional<CpRange> HeaderStories::pageOneStory(const FirstSection& section, bool facingPages, bool footer) const
{
    std::size_t kind = kOddHeader;
    if (section.titlePage)
        kind = kFirstHeader;
    else if (facingPages && section.evenFirstPageNumber)
        kind = kEvenHeader;
    if (footer)
        kind = kind == kFirstHeader ? kFirstFooter : kind + kFooterOffset;
    return story(kSeparatorStories + kind);
}

} // namespace glyphmere::docengine
