#include "docengine/container/SectorClaims.h"

namespace glyphmere::docengine::cfb {

void SectorClaims::claim(std::uint32_t unit, std::uint32_t owner)
{
    if (unit >= m_owners.size())
        return;
    std::uint32_t& current = m_owners[unit];
    current = current == kUnclaimed || current == owner ? owner : kShared;
}

void SectorClaims::claimChain(const std::vector<std::uint32_t>& links, std::uint32_t start, std::uint32_t owner)
{
    for (std::uint32_t unit = start; unit < m_owners.size() && unit < links.size(); unit = links[unit]) {
        if (m_owners[unit] == owner)
            return;
        claim(unit, owner);
        if (m_owners[unit] == kShared)
            return;
    }
}

} // namespace glyphmere::docengine::cfb
