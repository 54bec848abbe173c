#pragma once

#include "docengine/binary/CpRange.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

struct FirstSection;

// The stories of the header document as the header plex (Plcfhdd) splits it: six separators, then six
// stories per section (even header, odd header, even footer, odd footer, first-page header, first-page
// footer).
class HeaderStories {
public:
    // `plcfHdd` from the table stream; the header document is CPs [start, start + length). EngineError when
    // the plex is damaged or points outside the header document.
    static HeaderStories parse(std::string_view plcfHdd, std::uint32_t start, std::uint32_t length);

    // Story `index` without its guard paragraph mark; nullopt when it is empty or absent.
    std::optional<CpRange> story(std::size_t index) const;
    // Every non-empty header and footer story of every section, with whether it is a footer.
    struct SectionStory {
        bool footer = false;
        CpRange range;
    };
    std::vector<SectionStory> sectionStories() const;

    // The header (or footer) page 1 shows, by section 1's properties and the facing-pages switch.
    std::optional<CpRange> pageOneStory(const FirstSection& section, bool facingPages, bool footer) const;

private:
    std::uint32_t m_start = 0;
    std::vector<std::uint32_t> m_positions; // story starts, relative to the header document, and the end
};

} // namespace glyphmere::docengine
