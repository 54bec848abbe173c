#pragma once

#include "docengine/container/SectorChain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glyphmere::docengine::cfb {

// A directory entry the tree reaches from the root.
struct DirectoryEntry {
    std::string path;      // UTF-8, '/'-separated from the root; empty for the root
    std::string key;       // the name's comparison key
    std::uint8_t type = 0; // kStorageEntry, kStreamEntry or kRootEntry; 0: not reached
    std::uint32_t start = 0;
    std::uint64_t size = 0;
    std::vector<std::uint32_t> children; // storages: entry numbers in the tree's order
};

// Where everything of a compound file is: its sectors, allocation table and directory.
struct CompoundLayout {
    unsigned majorVersion = 3;
    unsigned sectorShift = 9;
    std::uint64_t sectorCount = 0; // sectors after the header, a short last one included
    std::vector<std::uint32_t> fat;
    std::vector<std::uint32_t> fatSectors;   // in the order they cover the FAT
    std::vector<std::uint32_t> difatSectors; // the DIFAT chain as far as the FAT sectors need it
    std::vector<std::uint32_t> directorySectors;
    std::vector<DirectoryEntry> entries; // by entry number; the root is entry 0

    std::uint64_t sectorSize() const { return std::uint64_t{1} << sectorShift; }
    std::uint64_t sectorOffset(std::uint32_t sector) const { return (std::uint64_t{sector} + 1) << sectorShift; }
    std::uint64_t entryOffset(std::uint32_t entry) const;
    ChainTable fatTable() const { return {fat, sectorCount, "sector chain", "the file", true}; }
};

// The file's size rounded up to whole sectors, as the sector size in the header says; damaged when the header
// is not one of a compound file this engine reads.
std::uint64_t paddedFileSize(const std::string& fileBytes);

// Reads the header, the FAT through the header's list and the DIFAT chain, and the directory, from bytes
// padded by paddedFileSize(). Damaged when a chain the directory or the header reaches (the mini FAT, the
// mini stream, any stream's, read or not) runs past the end of the file: growing such a file would turn its
// lost sectors into zeros.
CompoundLayout readLayout(const std::string& paddedBytes);

} // namespace glyphmere::docengine::cfb
