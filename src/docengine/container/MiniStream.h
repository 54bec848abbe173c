#pragma once

#include "docengine/container/CompoundFileFormat.h"
#include "docengine/container/CompoundLayout.h"
#include "docengine/container/SectorChain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glyphmere::docengine::cfb {

// The mini stream (the root entry's chain, holding streams under 4096 bytes in 64-byte mini sectors) and
// the mini FAT that chains them.
struct MiniStream {
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> miniFatSectors;
    std::vector<std::uint32_t> sectors;
    std::uint64_t size = 0;

    ChainTable table() const
    {
        return {miniFat, unitsFor(size, kMiniSectorSize), "mini sector chain", "the mini stream"};
    }
    // Where a mini sector lies in the file; the mini sector must be inside the mini stream.
    std::uint64_t fileOffset(const CompoundLayout& layout, std::uint32_t miniSector) const
    {
        const std::uint64_t at = std::uint64_t{miniSector} * kMiniSectorSize;
        return layout.sectorOffset(sectors[at >> layout.sectorShift]) + (at & (layout.sectorSize() - 1));
    }
};

// Damaged when the mini FAT's or the mini stream's chain is, or the root entry's size passes its chain.
MiniStream readMiniStream(const std::string& bytes, const CompoundLayout& layout);

} // namespace glyphmere::docengine::cfb
