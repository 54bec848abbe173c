#pragma once

#include "docengine/container/CompoundFileFormat.h"

#include <cstdint>
#include <vector>

namespace glyphmere::docengine::cfb {

// Which part of the file uses each sector (or each mini sector of the mini stream), found by following every
// chain without failing on damage, so that an update never writes into a sector some other chain also uses.
class SectorClaims {
public:
    // Each structure the editor writes has an owner of its own, so that two of them in one sector show as shared.
    static constexpr std::uint32_t kStructure = 0xFFFFFFF0; // the FAT and DIFAT sectors
    static constexpr std::uint32_t kShared = 0xFFFFFFF1;    // used by more than one chain
    static constexpr std::uint32_t kDirectory = 0xFFFFFFF2;
    static constexpr std::uint32_t kMiniFat = 0xFFFFFFF3;
    static constexpr std::uint32_t kMiniStream = 0xFFFFFFF4;
    static constexpr std::uint32_t kUnclaimed = 0xFFFFFFFF;

    SectorClaims() = default;
    explicit SectorClaims(std::uint64_t unitCount) : m_owners(unitCount, kUnclaimed) {}

    void claim(std::uint32_t unit, std::uint32_t owner);
    // Claims the chain from `start` as far as it stays inside the table and does not meet itself; gives the
    // units it claimed.
    std::vector<std::uint32_t> claimChain(const std::vector<std::uint32_t>& links, std::uint32_t start,
                                          std::uint32_t owner);
    bool isShared(std::uint32_t unit) const { return unit < m_owners.size() && m_owners[unit] == kShared; }
    bool ownedBy(std::uint32_t unit, std::uint32_t owner) const
    {
        return unit >= m_owners.size() || m_owners[unit] == owner;
    }

private:
    std::vector<std::uint32_t> m_owners;
};

} // namespace glyphmere::docengine::cfb
