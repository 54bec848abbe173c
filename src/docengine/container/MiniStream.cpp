#include "docengine/container/MiniStream.h"

#include "docengine/container/CompoundFileFormat.h"

namespace glyphmere::docengine::cfb {

MiniStream readMiniStream(const std::string& bytes, const CompoundLayout& layout)
{
    MiniStream mini;
    mini.miniFatSectors = followChain(layout.fatTable(), readLe32(bytes, kMiniFatStartAt), "the mini FAT");
    for (const std::uint32_t sector : mini.miniFatSectors)
        appendLe32Array(mini.miniFat, std::string_view(bytes).substr(layout.sectorOffset(sector), layout.sectorSize()));
    mini.size = layout.entries[0].size;
    if (mini.size == 0)
        return mini;
    mini.sectors = followChain(layout.fatTable(), layout.entries[0].start, "the mini stream");
    if (mini.size > mini.sectors.size() * layout.sectorSize())
        failDamaged("mini stream is larger than its sector chain");
    return mini;
}

} // namespace glyphmere::docengine::cfb
