#include "CompoundFileBuilder.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace glyphmere::docengine::binary_testing {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatMark = 0xFFFFFFFD;
constexpr std::uint32_t kDifatMark = 0xFFFFFFFC;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kCutoff = 4096;

std::uint32_t unitsFor(std::uint64_t size, std::uint64_t unit)
{
    return static_cast<std::uint32_t>((size + unit - 1) / unit);
}

void put16(std::string& bytes, std::uint64_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::uint64_t at, std::uint32_t value)
{
    put16(bytes, at, static_cast<std::uint16_t>(value));
    put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

// The order of siblings in the container's tree: shorter names first, then by upper-case name.
bool siblingOrder(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
}

// Consecutive sector numbers for one part after another.
struct SectorPlan {
    std::uint32_t next = 0;
    std::vector<std::uint32_t> take(std::uint32_t count)
    {
        std::vector<std::uint32_t> sectors(count);
        for (auto& sector : sectors)
            sector = next++;
        return sectors;
    }
};

void chainInto(std::vector<std::uint32_t>& table, const std::vector<std::uint32_t>& units)
{
    for (std::size_t i = 0; i < units.size(); ++i)
        table[units[i]] = i + 1 < units.size() ? units[i + 1] : kEndOfChain;
}

} // namespace

std::uint64_t BuiltCompoundFile::fatEntryOffset(std::uint32_t sector) const
{
    const std::uint32_t perSector = sectorSize / 4;
    return sectorOffset(fatSectors.at(sector / perSector)) + sector % perSector * 4;
}

std::uint64_t BuiltCompoundFile::miniFatEntryOffset(std::uint32_t miniSector) const
{
    const std::uint32_t perSector = sectorSize / 4;
    return sectorOffset(miniFatSectors.at(miniSector / perSector)) + miniSector % perSector * 4;
}

std::uint64_t BuiltCompoundFile::miniSectorOffset(std::uint32_t miniSector) const
{
    const std::uint64_t at = std::uint64_t{miniSector} * 64;
    return sectorOffset(miniStreamSectors.at(at / sectorSize)) + at % sectorSize;
}

std::uint64_t BuiltCompoundFile::entryOffset(const std::string& path) const
{
    const std::uint32_t number = entries.at(path);
    const std::uint32_t perSector = sectorSize / kEntrySize;
    return sectorOffset(directorySectors.at(number / perSector)) + number % perSector * kEntrySize;
}

std::uint32_t BuiltCompoundFile::get32(std::uint64_t at) const
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

void BuiltCompoundFile::set32(std::uint64_t at, std::uint32_t value) { put32(bytes, at, value); }

std::size_t CompoundFileBuilder::nodeFor(const std::string& path, bool isStream)
{
    std::size_t parent = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t slash = path.find('/', from);
        const std::string prefix = path.substr(0, slash);
        const bool last = slash == std::string::npos;
        auto& siblings = m_nodes[parent].children;
        const auto found = std::find_if(siblings.begin(), siblings.end(),
                                        [&](std::size_t node) { return m_nodes[node].path == prefix; });
        std::size_t node = found == siblings.end() ? m_nodes.size() : *found;
        if (found == siblings.end()) {
            m_nodes.push_back(Node{prefix, path.substr(from, slash - from), last && isStream, {}, {}});
            m_nodes[parent].children.push_back(node);
        }
        if (last)
            return node;
        parent = node;
        from = slash + 1;
    }
}

CompoundFileBuilder& CompoundFileBuilder::stream(const std::string& path, std::string content)
{
    m_nodes[nodeFor(path, true)].content = std::move(content);
    return *this;
}

CompoundFileBuilder& CompoundFileBuilder::storage(const std::string& path)
{
    nodeFor(path, false);
    return *this;
}

CompoundFileBuilder& CompoundFileBuilder::fatSectors(std::uint32_t atLeast)
{
    m_minimumFatSectors = atLeast;
    return *this;
}

CompoundFileBuilder& CompoundFileBuilder::fatTailUsed()
{
    m_fatTailUsed = true;
    return *this;
}

// The builder's whole plan: entry numbers, the directory tree and every part's sectors.
struct CompoundFileBuilder::Plan {
    std::vector<std::size_t> entryNodes; // node of each entry number
    std::vector<std::uint32_t> left, right, child;
    std::uint32_t miniUnits = 0;
    std::uint32_t totalSectors = 0;
    std::vector<std::uint32_t> fat, miniFat;
};

namespace {

void writeTable(std::string& bytes, const BuiltCompoundFile& file, const std::vector<std::uint32_t>& table,
                const std::vector<std::uint32_t>& sectors)
{
    // Test machines are little-endian, as the container is.
    static_assert(std::endian::native == std::endian::little);
    const std::uint32_t perSector = file.sectorSize / 4;
    for (std::size_t i = 0; i < sectors.size(); ++i)
        std::memcpy(bytes.data() + file.sectorOffset(sectors[i]), table.data() + i * perSector, file.sectorSize);
}

} // namespace

BuiltCompoundFile CompoundFileBuilder::build() const
{
    BuiltCompoundFile out;
    out.sectorSize = m_majorVersion == 4 ? 4096 : 512;
    Plan plan;
    planTree(out, plan);
    planSectors(out, plan);
    planTables(out, plan);
    out.bytes.assign((std::size_t{plan.totalSectors} + 1) * out.sectorSize, '\0');
    writeTable(out.bytes, out, plan.fat, out.fatSectors);
    writeTable(out.bytes, out, plan.miniFat, out.miniFatSectors);
    writeHeader(out);
    writeDirectory(out, plan);
    writeContents(out, plan);
    return out;
}

// Entry numbers depth first, and each storage's children as a balanced tree in the container's order.
void CompoundFileBuilder::planTree(BuiltCompoundFile& out, Plan& plan) const
{
    std::function<void(std::size_t)> numberNodes = [&](std::size_t node) {
        out.entries[m_nodes[node].path] = static_cast<std::uint32_t>(plan.entryNodes.size());
        plan.entryNodes.push_back(node);
        for (const std::size_t child : m_nodes[node].children)
            numberNodes(child);
    };
    numberNodes(0);
    const auto entryCount = static_cast<std::uint32_t>(plan.entryNodes.size());
    plan.left.assign(entryCount, kFree);
    plan.right.assign(entryCount, kFree);
    plan.child.assign(entryCount, kFree);
    for (const Node& node : m_nodes) {
        std::vector<std::size_t> sorted = node.children;
        std::sort(sorted.begin(), sorted.end(),
                  [&](std::size_t a, std::size_t b) { return siblingOrder(m_nodes[a].name, m_nodes[b].name); });
        std::function<std::uint32_t(std::size_t, std::size_t)> subtree = [&](std::size_t lo, std::size_t hi) {
            if (lo >= hi)
                return kFree;
            const std::size_t mid = (lo + hi) / 2;
            const std::uint32_t entry = out.entries.at(m_nodes[sorted[mid]].path);
            plan.left[entry] = subtree(lo, mid);
            plan.right[entry] = subtree(mid + 1, hi);
            return entry;
        };
        plan.child[out.entries.at(node.path)] = subtree(0, sorted.size());
    }
}

// Every part's sectors one after another: FAT, DIFAT, directory, mini FAT, mini stream, then the streams.
void CompoundFileBuilder::planSectors(BuiltCompoundFile& out, Plan& plan) const
{
    const std::uint32_t ss = out.sectorSize;
    const std::uint32_t perSector = ss / 4;
    const auto entryCount = static_cast<std::uint32_t>(plan.entryNodes.size());
    std::uint32_t regularSectors = 0;
    for (const Node& node : m_nodes) {
        if (!node.isStream)
            continue;
        StreamPlacement& placement = out.streams[node.path];
        placement.entry = out.entries.at(node.path);
        placement.inMiniStream = node.content.size() < kCutoff;
        if (placement.inMiniStream) {
            for (std::uint32_t i = 0; i < unitsFor(node.content.size(), 64); ++i)
                placement.units.push_back(plan.miniUnits++);
        } else {
            regularSectors += unitsFor(node.content.size(), ss);
        }
    }
    const std::uint32_t directoryCount = unitsFor(std::uint64_t{entryCount} * kEntrySize, ss);
    const std::uint32_t miniFatCount = unitsFor(std::uint64_t{plan.miniUnits} * 4, ss);
    const std::uint32_t miniStreamCount = unitsFor(std::uint64_t{plan.miniUnits} * 64, ss);
    const std::uint32_t dataSectors = directoryCount + miniFatCount + miniStreamCount + regularSectors;
    std::uint32_t fatCount = std::max<std::uint32_t>(m_minimumFatSectors, 1);
    std::uint32_t difatCount = 0;
    for (;;) {
        difatCount = fatCount > 109 ? unitsFor(fatCount - 109, perSector - 1) : 0;
        const std::uint32_t needed = unitsFor(dataSectors + fatCount + difatCount, perSector);
        if (needed <= fatCount)
            break;
        fatCount = needed;
    }

    SectorPlan sectors;
    out.fatSectors = sectors.take(fatCount);
    out.difatSectors = sectors.take(difatCount);
    out.directorySectors = sectors.take(directoryCount);
    out.miniFatSectors = sectors.take(miniFatCount);
    out.miniStreamSectors = sectors.take(miniStreamCount);
    for (auto& [path, placement] : out.streams) {
        if (!placement.inMiniStream)
            placement.units = sectors.take(unitsFor(m_nodes[plan.entryNodes[placement.entry]].content.size(), ss));
    }
    plan.totalSectors = sectors.next;
}

void CompoundFileBuilder::planTables(const BuiltCompoundFile& out, Plan& plan) const
{
    const std::uint32_t perSector = out.sectorSize / 4;
    plan.fat.assign(out.fatSectors.size() * perSector, kFree);
    for (const std::uint32_t sector : out.fatSectors)
        plan.fat[sector] = kFatMark;
    for (const std::uint32_t sector : out.difatSectors)
        plan.fat[sector] = kDifatMark;
    chainInto(plan.fat, out.directorySectors);
    chainInto(plan.fat, out.miniFatSectors);
    chainInto(plan.fat, out.miniStreamSectors);
    plan.miniFat.assign(out.miniFatSectors.size() * perSector, kFree);
    for (const auto& [path, placement] : out.streams)
        chainInto(placement.inMiniStream ? plan.miniFat : plan.fat, placement.units);
    if (m_fatTailUsed)
        std::fill(plan.fat.begin() + plan.totalSectors, plan.fat.end(), kEndOfChain);
}

void CompoundFileBuilder::writeContents(BuiltCompoundFile& out, const Plan& plan) const
{
    for (const auto& [path, placement] : out.streams) {
        const std::string& content = m_nodes[plan.entryNodes[placement.entry]].content;
        const std::uint32_t unit = placement.inMiniStream ? 64 : out.sectorSize;
        for (std::size_t i = 0; i < placement.units.size(); ++i) {
            const std::uint64_t at = placement.inMiniStream ? out.miniSectorOffset(placement.units[i])
                                                            : out.sectorOffset(placement.units[i]);
            out.bytes.replace(at, std::min<std::size_t>(unit, content.size() - i * unit),
                              content.substr(i * unit, unit));
        }
    }
}

void CompoundFileBuilder::writeHeader(BuiltCompoundFile& out) const
{
    std::string& bytes = out.bytes;
    bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    put16(bytes, 0x18, 0x3E);
    put16(bytes, 0x1A, static_cast<std::uint16_t>(m_majorVersion));
    put16(bytes, 0x1C, 0xFFFE);
    put16(bytes, 0x1E, m_majorVersion == 4 ? 12 : 9);
    put16(bytes, 0x20, 6);
    const auto count = [](const std::vector<std::uint32_t>& sectors) {
        return static_cast<std::uint32_t>(sectors.size());
    };
    const auto first = [](const std::vector<std::uint32_t>& sectors) {
        return sectors.empty() ? kEndOfChain : sectors.front();
    };
    put32(bytes, 0x28, m_majorVersion == 4 ? count(out.directorySectors) : 0);
    put32(bytes, 0x2C, count(out.fatSectors));
    put32(bytes, 0x30, first(out.directorySectors));
    put32(bytes, 0x38, kCutoff);
    put32(bytes, 0x3C, first(out.miniFatSectors));
    put32(bytes, 0x40, count(out.miniFatSectors));
    put32(bytes, 0x44, first(out.difatSectors));
    put32(bytes, 0x48, count(out.difatSectors));
    const std::uint32_t slotsPerSector = out.sectorSize / 4 - 1;
    const auto slot = [&](std::size_t index) { return index < out.fatSectors.size() ? out.fatSectors[index] : kFree; };
    for (std::size_t i = 0; i < 109; ++i)
        put32(bytes, 0x4C + i * 4, slot(i));
    for (std::size_t d = 0; d < out.difatSectors.size(); ++d) {
        const std::uint64_t at = out.sectorOffset(out.difatSectors[d]);
        for (std::uint32_t i = 0; i < slotsPerSector; ++i)
            put32(bytes, at + i * 4, slot(109 + d * slotsPerSector + i));
        put32(bytes, at + slotsPerSector * 4, d + 1 < out.difatSectors.size() ? out.difatSectors[d + 1] : kEndOfChain);
    }
}

void CompoundFileBuilder::writeDirectory(BuiltCompoundFile& out, const Plan& plan) const
{
    const std::uint32_t perSector = out.sectorSize / kEntrySize;
    for (std::uint32_t entry = 0; entry < out.directorySectors.size() * perSector; ++entry) {
        const std::uint64_t at =
            out.sectorOffset(out.directorySectors[entry / perSector]) + entry % perSector * kEntrySize;
        if (entry >= plan.entryNodes.size()) {
            for (const std::uint64_t link : {0x44, 0x48, 0x4C})
                put32(out.bytes, at + link, kFree);
            continue;
        }
        const Node& node = m_nodes[plan.entryNodes[entry]];
        for (std::size_t i = 0; i < node.name.size(); ++i)
            put16(out.bytes, at + i * 2, static_cast<unsigned char>(node.name[i]));
        put16(out.bytes, at + 0x40, static_cast<std::uint16_t>((node.name.size() + 1) * 2));
        out.bytes[at + 0x42] = static_cast<char>(entry == 0 ? 5 : node.isStream ? 2 : 1);
        out.bytes[at + 0x43] = 1;
        put32(out.bytes, at + 0x44, plan.left[entry]);
        put32(out.bytes, at + 0x48, plan.right[entry]);
        put32(out.bytes, at + 0x4C, plan.child[entry]);
        if (node.isStream) {
            const StreamPlacement& placement = out.streams.at(node.path);
            put32(out.bytes, at + 0x74, placement.units.empty() ? kEndOfChain : placement.units.front());
            put32(out.bytes, at + 0x78, static_cast<std::uint32_t>(node.content.size()));
            continue;
        }
        // Storages carry a class id, state bits and times that an update must keep.
        for (std::uint32_t i = 0; i < 16; ++i)
            out.bytes[at + 0x50 + i] = static_cast<char>(0x11 * (i + 1) + entry);
        put32(out.bytes, at + 0x60, 0x00010000 + entry);
        for (std::uint32_t i = entry == 0 ? 8 : 0; i < 16; ++i)
            out.bytes[at + 0x64 + i] = static_cast<char>(0x80 + i + entry);
        if (entry == 0) {
            put32(out.bytes, at + 0x74, out.miniStreamSectors.empty() ? kEndOfChain : out.miniStreamSectors.front());
            put32(out.bytes, at + 0x78, plan.miniUnits * 64);
        }
    }
}

} // namespace glyphmere::docengine::binary_testing
