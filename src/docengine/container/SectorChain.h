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
};

// The sectors of the chain that starts at `start`, at most `limit` of them; each visited once, each inside
// the area and the table. `owner` names the chain's user in the reason ("stream \"1Table\"").
std::vector<std::uint32_t> followChain(const ChainTable& table, std::uint32_t start, const std::string& owner,
                                       std::uint64_t limit = std::numeric_limits<std::uint64_t>::max());

// The sectors of a chain that hold `size` bytes in units of `unitSize`: only as many as the bytes need, or
// with `wholeChain` every sector up to its end. Damaged when the chain ends before the bytes do.
std::vector<std::uint32_t> chainHolding(const ChainTable& table, std::uint32_t start, std::uint64_t size,
                                        std::uint64_t unitSize, const std::string& owner, bool wholeChain = false);

} // namespace glyphmere::docengine::cfb
