#include "docengine/container/SectorChain.h"

#include "docengine/container/CompoundFileFormat.h"

namespace glyphmere::docengine::cfb {

std::vector<std::uint32_t> followChain(const ChainTable& table, std::uint32_t start, const std::string& owner,
                                       std::uint64_t limit)
{
    const std::string what = std::string(table.chainName) + " of " + owner;
    std::vector<std::uint32_t> chain;
    std::vector<bool> seen(table.unitCount);
    for (std::uint32_t sector = start; sector != kEndOfChain && chain.size() < limit; sector = table.links[sector]) {
        if (sector > kMaxRegularSector)
            failDamaged(what + " is broken");
        if (sector >= table.unitCount && table.isFile && sector < table.links.size())
            throw EngineError(messages::damagedStructure(kCutShort));
        if (sector >= table.unitCount)
            failDamaged(what + " points outside " + table.area);
        if (sector >= table.links.size())
            failDamaged(what + " points past the end of its allocation table");
        if (seen[sector])
            failDamaged(what + " loops");
        seen[sector] = true;
        chain.push_back(sector);
    }
    return chain;
}

bool runsPastEndOfFile(const ChainTable& table, std::uint32_t start)
{
    std::vector<bool> seen(table.unitCount);
    for (std::uint32_t sector = start; sector <= kMaxRegularSector; sector = table.links[sector]) {
        if (sector >= table.unitCount)
            return table.isFile && sector < table.links.size();
        if (sector >= table.links.size() || seen[sector])
            return false;
        seen[sector] = true;
    }
    return false;
}

std::vector<std::uint32_t> chainHolding(const ChainTable& table, std::uint32_t start, std::uint64_t size,
                                        std::uint64_t unitSize, const std::string& owner, bool wholeChain)
{
    const std::uint64_t needed = unitsFor(size, unitSize);
    if (needed == 0)
        return {};
    std::vector<std::uint32_t> chain =
        wholeChain ? followChain(table, start, owner) : followChain(table, start, owner, needed);
    if (chain.size() < needed)
        failDamaged(std::string(table.chainName) + " of " + owner + " ends before the end of its data");
    return chain;
}

} // namespace glyphmere::docengine::cfb
