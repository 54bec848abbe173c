#include "docengine/container/SectorClaims.h"

namespace glyphmere::docengine::cfb {

void SectorClaims::claim(std::uint32_t unit, std::uint32_t owner)
{
    if (unit >= m_owners.size())
        return;
    std::uint32_t& current = m_owners[unit];
    current = current == kUnclaimed || current == owner ? owner : kShared;
}

std::vector<std::uint32_t> SectorClaims::claimChain(const std::vector<std::uint32_t>& links, std::uint32_t start,
                                                    std::uint32_t owner)
{
    std::vector<std::uint32_t> claimed;
    for (std::uint32_t unit = start; unit < m_owners.size() && unit < links.size(); unit = links[unit]) {
        if (m_owners[unit] == owner)
            break;
        claim(unit, owner);
        claimed.push_back(unit);
        if (m_owners[unit] == kShared)
            break;
    }
    return claimed;
}

} // namespace glyphmere::docengine::cfb
