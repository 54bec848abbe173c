#include "docengine/container/CompoundLayout.h"

#include "docengine/container/CompoundDirectory.h"
#include "docengine/container/CompoundFileFormat.h"

#include <algorithm>
#include <string_view>

namespace glyphmere::docengine::cfb {

namespace {

constexpr std::string_view kSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

unsigned checkedSectorShift(const std::string& bytes)
{
    if (bytes.size() < kHeaderSize)
        failDamaged("header is cut short");
    if (std::string_view(bytes).substr(0, kSignature.size()) != kSignature)
        failDamaged("signature is missing");
    if (readLe16(bytes, kByteOrderAt) != 0xFFFE)
        failDamaged("byte order mark is wrong");
    const unsigned version = readLe16(bytes, kMajorVersionAt);
    if (version != 3 && version != 4)
        failDamaged("version (" + std::to_string(version) + ") is neither 3 nor 4");
    const unsigned shift = readLe16(bytes, kSectorShiftAt);
    if (shift != (version == 3 ? 9u : 12u))
        failDamaged("sector size does not match its version");
    if (readLe16(bytes, kMiniSectorShiftAt) != 6)
        failDamaged("mini sector size is not 64 bytes");
    if (readLe32(bytes, kMiniStreamCutoffAt) != kMiniStreamCutoff)
        failDamaged("mini stream cutoff is not 4096 bytes");
    return shift;
}

// Sector numbers of the FAT: the header's 109 slots, then the DIFAT chain (each of its sectors ends with the
// number of the next), never the FAT's own marks for its sectors.
void readFatSectorList(const std::string& bytes, CompoundLayout& layout)
{
    const std::uint32_t count = readLe32(bytes, kFatSectorCountAt);
    if (count > layout.sectorCount)
        failDamaged("FAT sector count is larger than the file");
    for (std::size_t slot = 0; slot < std::min<std::size_t>(count, kHeaderFatSlots); ++slot)
        layout.fatSectors.push_back(readLe32(bytes, kHeaderFatSlotsAt + slot * 4));
    const std::uint64_t slotsPerSector = layout.sectorSize() / 4 - 1;
    std::vector<bool> seen(layout.sectorCount);
    for (std::uint32_t sector = readLe32(bytes, kDifatStartAt); layout.fatSectors.size() < count;) {
        if (sector > kMaxRegularSector)
            failDamaged("DIFAT ends before it lists every FAT sector");
        if (sector >= layout.sectorCount)
            failDamaged("DIFAT points outside the file");
        if (seen[sector])
            failDamaged("DIFAT loops");
        seen[sector] = true;
        layout.difatSectors.push_back(sector);
        const std::uint64_t at = layout.sectorOffset(sector);
        for (std::uint64_t slot = 0; slot < slotsPerSector && layout.fatSectors.size() < count; ++slot)
            layout.fatSectors.push_back(readLe32(bytes, at + slot * 4));
        sector = readLe32(bytes, at + slotsPerSector * 4);
    }
}

void readFat(const std::string& bytes, CompoundLayout& layout)
{
    readFatSectorList(bytes, layout);
    const std::uint64_t entriesPerSector = layout.sectorSize() / 4;
    std::vector<bool> seen(layout.sectorCount);
    layout.fat.reserve(layout.fatSectors.size() * entriesPerSector);
    for (const std::uint32_t sector : layout.fatSectors) {
        if (sector >= layout.sectorCount)
            failDamaged("FAT sector list points outside the file");
        if (seen[sector])
            failDamaged("FAT sector list names a sector twice");
        seen[sector] = true;
        appendLe32Array(layout.fat, std::string_view(bytes).substr(layout.sectorOffset(sector), layout.sectorSize()));
    }
}

void refuseCutShort(const std::string& bytes, const CompoundLayout& layout)
{
    std::vector<std::uint32_t> starts{readLe32(bytes, kMiniFatStartAt)};
    for (const DirectoryEntry& entry : layout.entries) {
        const bool regular =
            entry.type == kRootEntry || (entry.type == kStreamEntry && entry.size >= kMiniStreamCutoff);
        if (regular && entry.size > 0)
            starts.push_back(entry.start);
    }
    for (const std::uint32_t start : starts) {
        if (runsPastEndOfFile(layout.fatTable(), start))
            throw EngineError(messages::damagedStructure(kCutShort));
    }
}

} // namespace

std::uint64_t CompoundLayout::entryOffset(std::uint32_t entry) const
{
    const std::uint64_t perSector = sectorSize() / kDirectoryEntrySize;
    return sectorOffset(directorySectors[entry / perSector]) + entry % perSector * kDirectoryEntrySize;
}

std::uint64_t paddedFileSize(const std::string& fileBytes)
{
    const std::uint64_t sectorSize = std::uint64_t{1} << checkedSectorShift(fileBytes);
    return std::max<std::uint64_t>(unitsFor(fileBytes.size(), sectorSize), 1) * sectorSize;
}

CompoundLayout readLayout(const std::string& paddedBytes)
{
    CompoundLayout layout;
    layout.majorVersion = readLe16(paddedBytes, kMajorVersionAt);
    layout.sectorShift = checkedSectorShift(paddedBytes);
    layout.sectorCount =
        std::min<std::uint64_t>((paddedBytes.size() >> layout.sectorShift) - 1, std::uint64_t{kMaxRegularSector} + 1);
    readFat(paddedBytes, layout);
    layout.directorySectors = followChain(layout.fatTable(), readLe32(paddedBytes, kDirectoryStartAt), "the directory");
    layout.entries = readDirectory(paddedBytes, layout);
    refuseCutShort(paddedBytes, layout);
    return layout;
}

} // namespace glyphmere::docengine::cfb
