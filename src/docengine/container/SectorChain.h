#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace glyphmere::docengine::cfb {

// An allocation table and what its chains may reach: the FAT over the file's sectors, or the mini FAT over
// the mini stream's 64-byte sectors.
struct ChainTable {
    const std::vector<std::uint32_t>& links;
    std::uint64_t unitCount; // sectors that exist
    const char* chainName;   // "sector chain"
    const char* area;        // "the file"
    bool isFile = false;     // the FAT: a unit it lists past unitCount is a sector the file lost
};

// The reason for a chain that runs into sectors the FAT lists but the file does not hold.
inline constexpr const char* kCutShort = "the file ends before its last sector; it may have been cut short";

// The sectors of the chain that starts at `start`, at most `limit` of them; each visited once, each inside
// the area and the table. `owner` names the chain's user in the reason ("stream \"1Table\"").
std::vector<std::uint32_t> followChain(const ChainTable& table, std::uint32_t start, const std::string& owner,
                                       std::uint64_t limit = std::numeric_limits<std::uint64_t>::max());

// Whether the chain from `start`, followed as far as it is sound, runs into a sector past the end of the file
// that the FAT still lists: the file was cut short.
bool runsPastEndOfFile(const ChainTable& table, std::uint32_t start);

// The sectors of a chain that hold `size` bytes in units of `unitSize`: only as many as the bytes need, or
// with `wholeChain` every sector up to its end. Damaged when the chain ends before the bytes do.
std::vector<std::uint32_t> chainHolding(const ChainTable& table, std::uint32_t start, std::uint64_t size,
                                        std::uint64_t unitSize, const std::string& owner, bool wholeChain = false);

} // namespace glyphmere::docengine::cfb
