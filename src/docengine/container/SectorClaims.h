#pragma once

#include "docengine/container/CompoundFileFormat.h"

#include <cstdint>
#include <vector>

namespace glyphmere::docengine::cfb {

// Which part of the file uses each sector (or each mini sector of the mini stream), found by following every
// chain without failing on damage, so that an update never writes into a sector some other chain also uses.
class SectorClaims {
public:
    static constexpr std::uint32_t kStructure = 0xFFFFFFF0; // tables, the directory, the mini stream
    static constexpr std::uint32_t kShared = 0xFFFFFFF1;    // used by more than one chain
    static constexpr std::uint32_t kUnclaimed = 0xFFFFFFFF;

    SectorClaims() = default;
    explicit SectorClaims(std::uint64_t unitCount) : m_owners(unitCount, kUnclaimed) {}

    void claim(std::uint32_t unit, std::uint32_t owner);
    // Claims the chain from `start` as far as it stays inside the table and does not meet itself.
    void claimChain(const std::vector<std::uint32_t>& links, std::uint32_t start, std::uint32_t owner);
    bool ownedBy(std::uint32_t unit, std::uint32_t owner) const
    {
        return unit >= m_owners.size() || m_owners[unit] == owner;
    }

private:
    std::vector<std::uint32_t> m_owners;
};

} // namespace glyphmere::docengine::cfb
