#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// Text with one set of direct character properties.
struct CharacterRun {
    std::uint32_t fcStart = 0, fcEnd = 0; // byte offsets in the WordDocument stream
    std::optional<std::string> grpprl;    // nullopt: no direct formatting (rgb 0)

    bool operator==(const CharacterRun&) const = default;
};

inline constexpr std::size_t kFkpPageSize = 512;
inline constexpr std::size_t kMaxRunsPerFkp = 101;

// A bin table of property pages (PlcBteChpx, or PlcBtePapx, which has the same layout).
struct BinTable {
    std::vector<std::uint32_t> fcs; // ascending, one more than pageNumbers
    std::vector<std::uint32_t> pageNumbers;
};

// EngineError naming the character property bin table when its size does not fit whole entries or its text
// offsets do not ascend.
BinTable parseBinTable(std::string_view plc);

// The runs in FC order from a bin table (PlcBteChpx) and the property pages (ChpxFkp) it points at in the
// WordDocument stream. Each page's runs are clipped to its bin table entry, as Word's lookup does; text
// covered by no run is left out. EngineError naming the structure when a count, an offset or the order of
// the FCs is damaged.
std::vector<CharacterRun> readCharacterRuns(std::string_view wordDocument, std::string_view plcBteChpx);

// Sorted, non-overlapping runs as their pages give them back: a gap between two runs becomes a run without
// properties and equal neighbours are joined. Two lists whose normalized forms are equal give every byte the
// same properties.
std::vector<CharacterRun> normalizedRuns(const std::vector<CharacterRun>& runs);

struct PackedCharacterRuns {
    std::vector<std::string> pages; // 512 bytes each, for pn = firstPage, firstPage + 1, ...
    std::string plcBteChpx;         // the new bin table
};

// Packs sorted, non-overlapping runs into property pages and their bin table: a gap between runs becomes a
// run without properties, identical property lists are stored once per page, and the bin table starts at
// the first run's start and ends at the last run's end. EngineError when the runs are empty, unsorted,
// overlapping or hold a list over 255 bytes, or when the pages would pass the largest page number.
PackedCharacterRuns packCharacterRuns(const std::vector<CharacterRun>& runs, std::uint32_t firstPage);

} // namespace glyphmere::docengine
