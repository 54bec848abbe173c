#include "docengine/files/CompoundFile.h"

#include "common/AsciiCase.h"
#include "common/FileRange.h"

#include <array>
#include <optional>
#include <vector>

namespace glyphmere::docengine {

namespace {

constexpr std::uint32_t kLastRegularSector = 0xFFFFFFFA;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderFatSlots = 109;
constexpr std::size_t kDirectoryEntrySize = 128;
constexpr std::uint8_t kStreamObject = 2;

std::uint32_t littleEndian32(const std::uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint16_t littleEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool readExactly(int fd, std::uint64_t offset, std::uint8_t* buffer, std::size_t count)
{
    return common::readFileRange(fd, offset, reinterpret_cast<char*>(buffer), count).count == count;
}

// Sector-level access to one compound file; every sector number is checked against the file's size.
class CompoundReader {
public:
    CompoundReader(int fd, std::uint64_t fileSize, unsigned sectorShift, const std::uint8_t* header)
        : m_fd(fd), m_sectorSize(std::size_t{1} << sectorShift), m_header(header),
          m_sectorCount(fileSize / m_sectorSize - 1)
    {
    }

    std::uint64_t sectorCount() const { return m_sectorCount; }
    std::size_t sectorSize() const { return m_sectorSize; }

    bool readSector(std::uint32_t sector, std::vector<std::uint8_t>& out) const
    {
        if (sector >= m_sectorCount)
            return false;
        out.resize(m_sectorSize);
        return readExactly(m_fd, (std::uint64_t{sector} + 1) * m_sectorSize, out.data(), m_sectorSize);
    }

    // The sector that follows `sector` in its chain, from the allocation table.
    std::optional<std::uint32_t> nextSector(std::uint32_t sector) const
    {
        const std::size_t entriesPerSector = m_sectorSize / 4;
        const auto fatSector = fatSectorNumber(sector / entriesPerSector);
        if (!fatSector || *fatSector >= m_sectorCount)
            return std::nullopt;
        std::array<std::uint8_t, 4> entry{};
        const std::uint64_t offset = (std::uint64_t{*fatSector} + 1) * m_sectorSize + (sector % entriesPerSector) * 4;
        if (!readExactly(m_fd, offset, entry.data(), entry.size()))
            return std::nullopt;
        return littleEndian32(entry.data());
    }

private:
    // The n-th sector of the allocation table: the header lists the first 109, further ones live in
    // the chain of DIFAT sectors.
    std::optional<std::uint32_t> fatSectorNumber(std::uint64_t n) const
    {
        if (n < kHeaderFatSlots)
            return littleEndian32(m_header + 0x4C + n * 4);
        const std::size_t slotsPerDifatSector = m_sectorSize / 4 - 1;
        std::uint32_t difatSector = littleEndian32(m_header + 0x44);
        std::uint64_t skip = (n - kHeaderFatSlots) / slotsPerDifatSector;
        std::vector<std::uint8_t> bytes;
        for (std::uint64_t steps = 0; steps <= m_sectorCount; ++steps) {
            if (difatSector > kLastRegularSector || !readSector(difatSector, bytes))
                return std::nullopt;
            if (skip == 0)
                return littleEndian32(bytes.data() + ((n - kHeaderFatSlots) % slotsPerDifatSector) * 4);
            --skip;
            difatSector = littleEndian32(bytes.data() + slotsPerDifatSector * 4);
        }
        return std::nullopt;
    }

    int m_fd;
    std::size_t m_sectorSize;
    const std::uint8_t* m_header;
    std::uint64_t m_sectorCount;
};

bool entryHasName(const std::uint8_t* entry, std::string_view asciiName)
{
    if (entry[0x42] != kStreamObject)
        return false;
    const std::size_t nameBytes = littleEndian16(entry + 0x40);
    if (nameBytes != (asciiName.size() + 1) * 2 || nameBytes > 64)
        return false;
    for (std::size_t i = 0; i < asciiName.size(); ++i) {
        const std::uint16_t unit = littleEndian16(entry + i * 2);
        if (unit > 0x7F || common::toLowerAscii(static_cast<char>(unit)) != common::toLowerAscii(asciiName[i]))
            return false;
    }
    return true;
}

bool directoryHasStream(const CompoundReader& reader, std::uint32_t firstSector, std::string_view asciiName)
{
    std::vector<std::uint8_t> sector;
    std::uint32_t current = firstSector;
    // A chain can be no longer than the file has sectors; anything longer is a loop.
    for (std::uint64_t steps = 0; steps < reader.sectorCount(); ++steps) {
        if (current > kLastRegularSector || !reader.readSector(current, sector))
            return false;
        for (std::size_t at = 0; at + kDirectoryEntrySize <= sector.size(); at += kDirectoryEntrySize) {
            if (entryHasName(sector.data() + at, asciiName))
                return true;
        }
        const auto next = reader.nextSector(current);
        if (!next)
            return false;
        current = *next;
    }
    return false;
}

} // namespace

bool compoundFileHasStream(int fd, std::uint64_t fileSize, std::string_view asciiName)
{
    std::array<std::uint8_t, kHeaderSize> header{};
    if (fileSize < kHeaderSize || !readExactly(fd, 0, header.data(), header.size()))
        return false;
    const unsigned sectorShift = littleEndian16(header.data() + 0x1E);
    if (sectorShift != 9 && sectorShift != 12)
        return false;
    if (fileSize < (std::uint64_t{2} << sectorShift))
        return false;
    const CompoundReader reader(fd, fileSize, sectorShift, header.data());
    return directoryHasStream(reader, littleEndian32(header.data() + 0x30), asciiName);
}

} // namespace glyphmere::docengine
