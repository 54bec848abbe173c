#pragma once

#include <cstdint>

namespace glyphmere::docengine {

// Character positions [start, end) of a Word 97-2003 document's text.
struct CpRange {
    std::uint32_t start = 0;
    std::uint32_t end = 0;

    bool operator==(const CpRange&) const = default;
};

} // namespace glyphmere::docengine
