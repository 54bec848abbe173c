#include "docengine/container/CompoundFileEditor.h"

#include "docengine/container/CompoundFileFormat.h"

#include <algorithm>
#include <cstring>

namespace glyphmere::docengine::cfb {

namespace {

constexpr const char* kPastVersion3Limit =
    "the document would grow past 2 GB, the most its compound file (version 3) can hold";
constexpr const char* kPastSectorLimit = "the document would grow past the most its compound file can hold";

// Links `unit` after the chain's last unit, or makes it the chain's start.
void appendToChain(std::vector<std::uint32_t>& links, std::vector<std::uint32_t>& chain, std::uint32_t& start,
                   std::uint32_t unit)
{
    (chain.empty() ? start : links[chain.back()]) = unit;
    links[unit] = kEndOfChain;
    chain.push_back(unit);
}

} // namespace

CompoundFileEditor::CompoundFileEditor(std::string paddedBytes, std::uint64_t fileSize, CompoundLayout layout)
    : m_bytes(std::move(paddedBytes)), m_fileSize(fileSize), m_layout(std::move(layout)),
      m_originalFatSectors(m_layout.fatSectors.size()), m_originalDifatSectors(m_layout.difatSectors.size()),
      m_nextSector(m_layout.sectorCount), m_claims(m_layout.sectorCount)
{
    claimSectors();
}

// Marks whose each sector is: the tables, the directory, the mini FAT, the mini stream and each regular
// stream's chain.
void CompoundFileEditor::claimSectors()
{
    const auto claimAll = [this](const std::vector<std::uint32_t>& sectors, std::uint32_t owner) {
        for (const std::uint32_t sector : sectors)
            m_claims.claim(sector, owner);
        m_structureSectors.insert(m_structureSectors.end(), sectors.begin(), sectors.end());
    };
    claimAll(m_layout.fatSectors, SectorClaims::kStructure);
    claimAll(m_layout.difatSectors, SectorClaims::kStructure);
    claimAll(m_layout.directorySectors, SectorClaims::kDirectory);
    claimAll(m_claims.claimChain(m_layout.fat, readLe32(m_bytes, kMiniFatStartAt), SectorClaims::kMiniFat),
             SectorClaims::kMiniFat);
    if (m_layout.entries[0].size > 0)
        claimAll(m_claims.claimChain(m_layout.fat, m_layout.entries[0].start, SectorClaims::kMiniStream),
                 SectorClaims::kMiniStream);
    for (std::uint32_t number = 1; number < m_layout.entries.size(); ++number) {
        const DirectoryEntry& entry = m_layout.entries[number];
        if (entry.type == kStreamEntry && entry.size >= kMiniStreamCutoff)
            m_claims.claimChain(m_layout.fat, entry.start, number);
    }
}

// The update writes into every structure, so a structure sector that another chain also uses is damage:
// writing it would change that other part of the file. Checked last, so that a stream's own damage is named.
void CompoundFileEditor::refuseSharedStructures() const
{
    for (const std::uint32_t sector : m_structureSectors) {
        if (m_claims.isShared(sector))
            failDamaged("directory, allocation tables or mini stream overlap another part of the file");
    }
}

void CompoundFileEditor::claimMiniSectors()
{
    m_miniClaims = SectorClaims(m_nextMiniSector);
    for (std::uint32_t number = 1; number < m_layout.entries.size(); ++number) {
        const DirectoryEntry& entry = m_layout.entries[number];
        if (entry.type == kStreamEntry && entry.size > 0 && entry.size < kMiniStreamCutoff)
            m_miniClaims.claimChain(m_mini->miniFat, entry.start, number);
    }
}

void CompoundFileEditor::replaceStream(std::uint32_t number, const std::string& owner, std::string_view content)
{
    DirectoryEntry& entry = m_layout.entries[number];
    if (content.size() < entry.size)
        throw EngineError("the compound file's " + owner + " would shrink, which an in-place update does not do");
    std::vector<std::uint32_t> chain = ownChain(number, owner);
    if (content.size() < kMiniStreamCutoff) {
        writeMini(entry, std::move(chain), content);
    } else {
        if (entry.size < kMiniStreamCutoff) {
            for (const std::uint32_t unit : chain)
                mini().miniFat[unit] = kFreeSector;
            chain.clear();
        }
        writeRegular(entry, std::move(chain), content);
    }
    entry.size = content.size();
    m_changedEntries.push_back(number);
}

// The stream's present chain, which only it may use: an update writes into every sector of it.
std::vector<std::uint32_t> CompoundFileEditor::ownChain(std::uint32_t number, const std::string& owner)
{
    const DirectoryEntry& entry = m_layout.entries[number];
    if (entry.size == 0)
        return {};
    const bool inMiniStream = entry.size < kMiniStreamCutoff;
    const ChainTable table = inMiniStream ? mini().table() : m_layout.fatTable();
    std::vector<std::uint32_t> chain = chainHolding(
        table, entry.start, entry.size, inMiniStream ? kMiniSectorSize : m_layout.sectorSize(), owner, true);
    const SectorClaims& claims = inMiniStream ? m_miniClaims : m_claims;
    for (const std::uint32_t unit : chain) {
        if (!claims.ownedBy(unit, number))
            failDamaged(std::string(table.chainName) + " of " + owner + " overlaps another part of the file");
    }
    return chain;
}

std::string CompoundFileEditor::finish()
{
    refuseSharedStructures();
    completeDifat();
    writeTable(m_layout.fat, m_layout.fatSectors);
    if (m_mini)
        writeTable(m_mini->miniFat, m_mini->miniFatSectors);
    writeDifat();
    writeHeaderCounts();
    for (const std::uint32_t number : m_changedEntries)
        writeEntry(number);
    m_bytes.resize(m_fileSize);
    return std::move(m_bytes);
}

void CompoundFileEditor::writeRegular(DirectoryEntry& entry, std::vector<std::uint32_t> chain, std::string_view content)
{
    const std::uint64_t sectorSize = m_layout.sectorSize();
    while (chain.size() * sectorSize < content.size())
        appendToChain(m_layout.fat, chain, entry.start, takeSector(kEndOfChain));
    for (std::size_t i = 0; i * sectorSize < content.size(); ++i)
        writeBytes(m_layout.sectorOffset(chain[i]), content.substr(i * sectorSize, sectorSize));
}

void CompoundFileEditor::writeMini(DirectoryEntry& entry, std::vector<std::uint32_t> chain, std::string_view content)
{
    MiniStream& stream = mini();
    while (chain.size() * kMiniSectorSize < content.size()) {
        const std::uint32_t unit = takeMiniSector();
        appendToChain(stream.miniFat, chain, entry.start, unit);
    }
    for (std::size_t i = 0; i * kMiniSectorSize < content.size(); ++i)
        writeBytes(stream.fileOffset(m_layout, chain[i]), content.substr(i * kMiniSectorSize, kMiniSectorSize));
}

std::uint32_t CompoundFileEditor::takeSector(std::uint32_t mark)
{
    // Numbers the FAT marks used past the end of the file are taken as absent, and never handed out.
    while (m_nextSector < m_layout.fat.size() && m_layout.fat[m_nextSector] != kFreeSector)
        ++m_nextSector;
    if (m_nextSector > kMaxRegularSector)
        throw EngineError(kPastSectorLimit);
    const auto sector = static_cast<std::uint32_t>(m_nextSector++);
    const std::uint64_t end = m_layout.sectorOffset(sector) + m_layout.sectorSize();
    if (m_layout.majorVersion == 3 && end > kVersion3SizeLimit)
        throw EngineError(kPastVersion3Limit);
    m_bytes.resize(std::max<std::uint64_t>(m_bytes.size(), end), '\0');
    m_fileSize = std::max(m_fileSize, end);
    coverInFat(sector);
    m_layout.fat[sector] = mark;
    return sector;
}

// Adds FAT sectors until the FAT has an entry for `sector`. Each new FAT sector's place in the list is taken
// before its own sector, which may need the FAT to grow again.
void CompoundFileEditor::coverInFat(std::uint32_t sector)
{
    while (sector >= m_layout.fat.size()) {
        const std::size_t slot = m_layout.fatSectors.size();
        m_layout.fat.resize(m_layout.fat.size() + m_layout.sectorSize() / 4, kFreeSector);
        m_layout.fatSectors.push_back(kFreeSector);
        m_layout.fatSectors[slot] = takeSector(kFatSectorMark);
    }
}

std::uint32_t CompoundFileEditor::takeMiniSector()
{
    MiniStream& stream = mini();
    while (m_nextMiniSector < stream.miniFat.size() && stream.miniFat[m_nextMiniSector] != kFreeSector)
        ++m_nextMiniSector;
    if (m_nextMiniSector > kMaxRegularSector)
        throw EngineError(kPastSectorLimit);
    const auto unit = static_cast<std::uint32_t>(m_nextMiniSector++);
    while (unit >= stream.miniFat.size()) {
        appendToChain(m_layout.fat, stream.miniFatSectors, m_miniFatStart, takeSector(kEndOfChain));
        stream.miniFat.resize(stream.miniFat.size() + m_layout.sectorSize() / 4, kFreeSector);
    }
    growMiniStream((std::uint64_t{unit} + 1) * kMiniSectorSize);
    return unit;
}

void CompoundFileEditor::growMiniStream(std::uint64_t size)
{
    MiniStream& stream = mini();
    if (size <= stream.size)
        return;
    DirectoryEntry& root = m_layout.entries[0];
    while (stream.sectors.size() * m_layout.sectorSize() < size)
        appendToChain(m_layout.fat, stream.sectors, root.start, takeSector(kEndOfChain));
    stream.size = root.size = size;
    if (std::find(m_changedEntries.begin(), m_changedEntries.end(), 0) == m_changedEntries.end())
        m_changedEntries.push_back(0);
}

MiniStream& CompoundFileEditor::mini()
{
    if (!m_mini) {
        m_mini = readMiniStream(m_bytes, m_layout);
        m_originalMiniFatSectors = m_mini->miniFatSectors.size();
        m_miniFatStart = readLe32(m_bytes, kMiniFatStartAt);
        m_nextMiniSector = unitsFor(m_mini->size, kMiniSectorSize);
        claimMiniSectors();
    }
    return *m_mini;
}

// Adds DIFAT sectors until every FAT sector has a slot; each may add FAT sectors in turn.
void CompoundFileEditor::completeDifat()
{
    const std::uint64_t slotsPerSector = m_layout.sectorSize() / 4 - 1;
    while (kHeaderFatSlots + m_layout.difatSectors.size() * slotsPerSector < m_layout.fatSectors.size())
        m_layout.difatSectors.push_back(takeSector(kDifatSectorMark));
}

void CompoundFileEditor::writeTable(const std::vector<std::uint32_t>& table, const std::vector<std::uint32_t>& sectors)
{
    const std::uint64_t perSector = m_layout.sectorSize() / 4;
    for (std::size_t i = 0; i < sectors.size(); ++i)
        writeBytes(m_layout.sectorOffset(sectors[i]), le32ArrayBytes(table.data() + i * perSector, perSector));
}

void CompoundFileEditor::writeDifat()
{
    const std::uint64_t slotsPerSector = m_layout.sectorSize() / 4 - 1;
    const auto& difat = m_layout.difatSectors;
    for (std::size_t i = m_originalDifatSectors; i < difat.size(); ++i) {
        for (std::uint64_t slot = 0; slot <= slotsPerSector; ++slot)
            put32(m_layout.sectorOffset(difat[i]) + slot * 4, slot < slotsPerSector ? kFreeSector : kEndOfChain);
        put32(i == 0 ? kDifatStartAt : m_layout.sectorOffset(difat[i - 1]) + slotsPerSector * 4, difat[i]);
    }
    for (std::size_t slot = m_originalFatSectors; slot < m_layout.fatSectors.size(); ++slot) {
        const std::uint64_t beyond = slot - kHeaderFatSlots;
        put32(slot < kHeaderFatSlots
                  ? kHeaderFatSlotsAt + slot * 4
                  : m_layout.sectorOffset(difat[beyond / slotsPerSector]) + beyond % slotsPerSector * 4,
              m_layout.fatSectors[slot]);
    }
}

void CompoundFileEditor::writeHeaderCounts()
{
    if (m_layout.fatSectors.size() != m_originalFatSectors)
        put32(kFatSectorCountAt, static_cast<std::uint32_t>(m_layout.fatSectors.size()));
    if (m_layout.difatSectors.size() != m_originalDifatSectors)
        put32(kDifatSectorCountAt, static_cast<std::uint32_t>(m_layout.difatSectors.size()));
    if (m_mini && m_mini->miniFatSectors.size() != m_originalMiniFatSectors) {
        put32(kMiniFatStartAt, m_miniFatStart);
        put32(kMiniFatSectorCountAt, static_cast<std::uint32_t>(m_mini->miniFatSectors.size()));
    }
}

void CompoundFileEditor::writeEntry(std::uint32_t number)
{
    const DirectoryEntry& entry = m_layout.entries[number];
    const std::uint64_t at = m_layout.entryOffset(number);
    put32(at + kStartSectorAt, entry.start);
    put32(at + kStreamSizeAt, static_cast<std::uint32_t>(entry.size));
    // Version 3 readers ignore the size's high half, so it keeps whatever it held.
    if (m_layout.majorVersion != 3)
        put32(at + kStreamSizeAt + 4, static_cast<std::uint32_t>(entry.size >> 32));
}

void CompoundFileEditor::writeBytes(std::uint64_t at, std::string_view data)
{
    std::memcpy(m_bytes.data() + at, data.data(), data.size());
    keepWholeSector(at + data.size());
}

void CompoundFileEditor::put32(std::uint64_t at, std::uint32_t value)
{
    writeLe32(m_bytes, at, value);
    keepWholeSector(at + 4);
}

// A sector written to is kept whole, so a short last sector is padded before anything follows it.
void CompoundFileEditor::keepWholeSector(std::uint64_t writtenEnd)
{
    const std::uint64_t sectorSize = m_layout.sectorSize();
    m_fileSize = std::max(m_fileSize, unitsFor(writtenEnd, sectorSize) * sectorSize);
}

} // namespace glyphmere::docengine::cfb
