#include "CompoundView.h"

#include <algorithm>
#include <set>

namespace glyphmere::fuzz {

namespace {

constexpr std::uint32_t kLastSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kMiniSector = 64;
constexpr std::uint64_t kCutoff = 4096;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint8_t kStorage = 1;
constexpr std::uint8_t kStream = 2;
constexpr std::uint8_t kRoot = 5;

std::uint64_t unitsFor(std::uint64_t size, std::uint64_t unit) { return (size + unit - 1) / unit; }

} // namespace

CompoundView::CompoundView(std::string_view file) : m_file(file)
{
    if (readHeaderAndFat() && readDirectory())
        readMiniStream();
}

std::uint32_t CompoundView::le32(std::size_t at) const
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(m_file[at + i]);
    return value;
}

bool CompoundView::readHeaderAndFat()
{
    if (m_file.size() < 512 || m_file.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") != 0) {
        m_problem = "no compound file header";
        return false;
    }
    const unsigned shift = static_cast<unsigned char>(m_file[0x1E]);
    if (shift != 9 && shift != 12) {
        m_problem = "sector size";
        return false;
    }
    m_sectorSize = std::size_t{1} << shift;
    m_sectorCount = unitsFor(m_file.size(), m_sectorSize) - 1;
    m_file.resize((m_sectorCount + 1) * m_sectorSize, '\0'); // the short last sector, padded
    const std::uint32_t count = le32(0x2C);
    for (std::uint32_t slot = 0; slot < std::min<std::uint32_t>(count, 109); ++slot)
        m_fatSectors.push_back(le32(0x4C + slot * 4));
    const std::size_t perSector = m_sectorSize / 4 - 1;
    std::set<std::uint32_t> difatSeen;
    for (std::uint32_t difat = le32(0x44); m_fatSectors.size() < count;) {
        if (difat >= m_sectorCount || !difatSeen.insert(difat).second) {
            m_problem = "the DIFAT chain leaves the file or loops";
            return false;
        }
        const std::size_t base = (std::size_t{difat} + 1) * m_sectorSize;
        for (std::size_t i = 0; i < perSector && m_fatSectors.size() < count; ++i)
            m_fatSectors.push_back(le32(base + i * 4));
        difat = le32(base + perSector * 4);
    }
    for (const std::uint32_t sector : m_fatSectors) {
        if (sector >= m_sectorCount) {
            m_problem = "a FAT sector lies outside the file";
            return false;
        }
        for (std::size_t i = 0; i < m_sectorSize; i += 4)
            m_fat.push_back(le32((std::size_t{sector} + 1) * m_sectorSize + i));
    }
    return true;
}

std::optional<CompoundView::Chain> CompoundView::walk(const std::vector<std::uint32_t>& links, std::uint64_t units,
                                                      std::uint32_t start, std::string& problem) const
{
    Chain chain;
    std::set<std::uint32_t> seen;
    for (std::uint32_t unit = start; unit != kEndOfChain; unit = links[unit]) {
        if (unit > kLastSector)
            problem = "a chain holds a mark instead of a sector";
        else if (unit >= units)
            problem = "a chain runs past the end of its area";
        else if (unit >= links.size())
            problem = "a chain runs past its allocation table";
        else if (!seen.insert(unit).second)
            problem = "a chain loops";
        if (!problem.empty())
            return std::nullopt;
        chain.push_back(unit);
    }
    return chain;
}

bool CompoundView::readDirectory()
{
    const auto chain = walk(m_fat, m_sectorCount, le32(0x30), m_problem);
    if (!chain)
        return false;
    m_directory = *chain;
    const std::size_t perSector = m_sectorSize / kEntrySize;
    const auto offsetOf = [&](std::uint32_t number) -> std::optional<std::size_t> {
        if (number / perSector >= m_directory.size())
            return std::nullopt;
        return (std::size_t{m_directory[number / perSector]} + 1) * m_sectorSize + number % perSector * kEntrySize;
    };
    std::set<std::uint32_t> seen{0};
    std::vector<std::pair<std::uint32_t, std::string>> pending; // (entry, parent path)
    const auto push = [&](std::uint32_t number, const std::string& parent) {
        if (number != kNoEntry && seen.insert(number).second)
            pending.emplace_back(number, parent);
    };
    const auto root = offsetOf(0);
    if (!root) {
        m_problem = "the directory is empty";
        return false;
    }
    m_entries.push_back({"", kRoot, le32(*root + 0x74), le32(*root + 0x78), *root});
    push(le32(*root + 0x4C), "");
    while (!pending.empty()) {
        const auto [number, parent] = pending.back();
        pending.pop_back();
        const auto at = offsetOf(number);
        if (!at) {
            m_problem = "a directory entry lies past the directory";
            return false;
        }
        std::string name;
        const std::size_t units = std::min<std::size_t>(le32(*at + 0x40) & 0xFFFF, 64) / 2;
        for (std::size_t i = 0; i + 1 < units; ++i)
            name += static_cast<char>(m_file[*at + i * 2]);
        const std::string path = parent.empty() ? name : parent + "/" + name;
        m_entries.push_back(
            {path, static_cast<std::uint8_t>(m_file[*at + 0x42]), le32(*at + 0x74), le32(*at + 0x78), *at});
        push(le32(*at + 0x44), parent);
        push(le32(*at + 0x48), parent);
        if (m_entries.back().type == kStorage) // a stream's child field means nothing
            push(le32(*at + 0x4C), path);
    }
    return true;
}

bool CompoundView::readMiniStream()
{
    const auto miniFat = walk(m_fat, m_sectorCount, le32(0x3C), m_problem);
    if (!miniFat)
        return false;
    m_miniFatSectors = *miniFat;
    for (const std::uint32_t sector : m_miniFatSectors)
        for (std::size_t i = 0; i < m_sectorSize; i += 4)
            m_miniFat.push_back(le32((std::size_t{sector} + 1) * m_sectorSize + i));
    if (m_entries[0].size == 0)
        return true;
    const auto stream = walk(m_fat, m_sectorCount, m_entries[0].start, m_problem);
    if (!stream || stream->size() * m_sectorSize < m_entries[0].size) {
        m_problem = m_problem.empty() ? "the mini stream is longer than its chain" : m_problem;
        return false;
    }
    m_miniStream = *stream;
    return true;
}

std::optional<CompoundView::Chain> CompoundView::chainOf(const Entry& entry, std::string& problem) const
{
    if (entry.size == 0)
        return Chain{};
    const bool mini = entry.size < kCutoff;
    const auto chain = mini ? walk(m_miniFat, unitsFor(m_entries[0].size, kMiniSector), entry.start, problem)
                            : walk(m_fat, m_sectorCount, entry.start, problem);
    if (chain && chain->size() < unitsFor(entry.size, mini ? kMiniSector : m_sectorSize)) {
        problem = "a chain ends before its stream does";
        return std::nullopt;
    }
    return chain;
}

const CompoundView::Entry* CompoundView::find(std::string_view path) const
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&](const Entry& entry) { return entry.type == kStream && entry.path == path; });
    return found == m_entries.end() ? nullptr : &*found;
}

std::size_t CompoundView::unitOffset(const Entry& entry, const Chain& chain, std::size_t offset) const
{
    if (entry.size >= kCutoff)
        return (std::size_t{chain[offset / m_sectorSize]} + 1) * m_sectorSize + offset % m_sectorSize;
    const std::size_t inMini = std::size_t{chain[offset / kMiniSector]} * kMiniSector + offset % kMiniSector;
    return (std::size_t{m_miniStream[inMini / m_sectorSize]} + 1) * m_sectorSize + inMini % m_sectorSize;
}

std::optional<std::size_t> CompoundView::fileOffset(std::string_view path, std::size_t offset) const
{
    const Entry* entry = find(path);
    std::string problem;
    const auto chain = entry && m_problem.empty() ? chainOf(*entry, problem) : std::nullopt;
    if (!chain || offset >= entry->size)
        return std::nullopt;
    return unitOffset(*entry, *chain, offset);
}

CompoundView::StreamRead CompoundView::readStream(std::string_view path) const
{
    const Entry* entry = find(path);
    if (!entry)
        return {std::nullopt, "no such stream"};
    if (!m_problem.empty())
        return {std::nullopt, m_problem};
    std::string problem;
    const auto chain = chainOf(*entry, problem);
    if (!chain)
        return {std::nullopt, problem};
    const std::size_t unit = entry->size >= kCutoff ? m_sectorSize : kMiniSector;
    std::string bytes;
    for (std::size_t at = 0; at < entry->size; at += unit)
        bytes.append(m_file, unitOffset(*entry, *chain, at), std::min<std::size_t>(unit, entry->size - at));
    return {bytes, ""};
}

std::map<std::string, CompoundView::StreamRead> CompoundView::readStreams() const
{
    std::map<std::string, StreamRead> streams;
    for (const Entry& entry : m_entries) {
        if (entry.type == kStream)
            streams.emplace(entry.path, readStream(entry.path));
    }
    return streams;
}

std::vector<std::size_t> CompoundView::entryOffsets() const
{
    std::vector<std::size_t> offsets;
    for (const Entry& entry : m_entries)
        offsets.push_back(entry.offset);
    return offsets;
}

} // namespace glyphmere::fuzz
