#pragma once

#include "docengine/container/CompoundFileFormat.h"
#include "docengine/container/CompoundLayout.h"
#include "docengine/container/MiniStream.h"
#include "docengine/container/SectorClaims.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine::cfb {

// Grows streams of a compound file in place. Sectors a stream already has are overwritten where its new bytes
// fall; new sectors (and FAT, DIFAT and mini FAT sectors) are appended at the end of the file, never at a
// number the FAT already marks used. Only what the new bytes need changes: the grown chains, the tables'
// entries for them, the streams' directory sizes and starts, and the header's table counts.
class CompoundFileEditor {
public:
    CompoundFileEditor(std::string paddedBytes, std::uint64_t fileSize, CompoundLayout layout);

    // EngineError when the content is shorter than the stream, or the file would grow past its format's
    // limit.
    void replaceStream(std::uint32_t entry, const std::string& owner, std::string_view content);
    std::string finish();

private:
    void writeRegular(DirectoryEntry& entry, std::vector<std::uint32_t> chain, std::string_view content);
    void claimSectors();
    void claimMiniSectors();
    void refuseSharedStructures() const;
    std::vector<std::uint32_t> ownChain(std::uint32_t number, const std::string& owner);
    void writeMini(DirectoryEntry& entry, std::vector<std::uint32_t> chain, std::string_view content);
    std::uint32_t takeSector(std::uint32_t mark);
    void coverInFat(std::uint32_t sector);
    std::uint32_t takeMiniSector();
    void growMiniStream(std::uint64_t size);
    MiniStream& mini();

    void completeDifat();
    void writeTable(const std::vector<std::uint32_t>& table, const std::vector<std::uint32_t>& sectors);
    void writeDifat();
    void writeHeaderCounts();
    void writeEntry(std::uint32_t number);
    void writeBytes(std::uint64_t at, std::string_view data);
    void put32(std::uint64_t at, std::uint32_t value);
    void keepWholeSector(std::uint64_t writtenEnd);

    std::string m_bytes;
    std::uint64_t m_fileSize;
    CompoundLayout m_layout;
    const std::size_t m_originalFatSectors;
    const std::size_t m_originalDifatSectors;
    std::uint64_t m_nextSector;
    SectorClaims m_claims;
    std::vector<std::uint32_t> m_structureSectors; // the FAT, DIFAT, directory, mini FAT and mini stream
    SectorClaims m_miniClaims;
    std::optional<MiniStream> m_mini;
    std::size_t m_originalMiniFatSectors = 0;
    std::uint32_t m_miniFatStart = kEndOfChain;
    std::uint64_t m_nextMiniSector = 0;
    std::vector<std::uint32_t> m_changedEntries;
};

} // namespace glyphmere::docengine::cfb
