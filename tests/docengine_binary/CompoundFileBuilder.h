#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace glyphmere::docengine::binary_testing {

// Where a stream's bytes were put: regular sectors, or mini sectors of the mini stream.
struct StreamPlacement {
    std::uint32_t entry = 0;
    bool inMiniStream = false;
    std::vector<std::uint32_t> units;
};

// A compound file built in memory, with the places of its parts so that a test can corrupt or compare them.
struct BuiltCompoundFile {
    std::string bytes;
    std::uint32_t sectorSize = 512;
    std::vector<std::uint32_t> fatSectors, difatSectors, directorySectors, miniFatSectors, miniStreamSectors;
    std::map<std::string, StreamPlacement> streams; // by path
    std::map<std::string, std::uint32_t> entries;   // every entry's number by path; the root is ""

    std::uint64_t sectorOffset(std::uint32_t sector) const { return (std::uint64_t{sector} + 1) * sectorSize; }
    std::uint64_t fatEntryOffset(std::uint32_t sector) const;
    std::uint64_t miniFatEntryOffset(std::uint32_t miniSector) const;
    std::uint64_t miniSectorOffset(std::uint32_t miniSector) const;
    std::uint64_t entryOffset(const std::string& path) const;
    std::uint32_t get32(std::uint64_t at) const;
    void set32(std::uint64_t at, std::uint32_t value);
};

// Builds compound files of version 3 (512-byte sectors) or 4 (4096-byte sectors) as a careful writer does:
// streams under 4096 bytes in the mini stream, a balanced directory tree of every storage's children, and
// storages with class ids, state bits and times, so that tests see whether those survive. Names are ASCII
// (control characters included, as in "\005SummaryInformation").
class CompoundFileBuilder {
public:
    explicit CompoundFileBuilder(int majorVersion = 3) : m_majorVersion(majorVersion) {}

    // Storages along the path are created as needed.
    CompoundFileBuilder& stream(const std::string& path, std::string content);
    CompoundFileBuilder& storage(const std::string& path);
    // At least this many FAT sectors, their entries past the file's end free.
    CompoundFileBuilder& fatSectors(std::uint32_t atLeast);
    // FAT entries past the end of the file marked used, as some producers write them.
    CompoundFileBuilder& fatTailUsed();

    BuiltCompoundFile build() const;

private:
    struct Node {
        std::string path, name;
        bool isStream = false;
        std::string content;
        std::vector<std::size_t> children;
    };
    struct Plan;
    std::size_t nodeFor(const std::string& path, bool isStream);
    void planTree(BuiltCompoundFile& out, Plan& plan) const;
    void planSectors(BuiltCompoundFile& out, Plan& plan) const;
    void planTables(const BuiltCompoundFile& out, Plan& plan) const;
    void writeHeader(BuiltCompoundFile& out) const;
    void writeContents(BuiltCompoundFile& out, const Plan& plan) const;
    void writeDirectory(BuiltCompoundFile& out, const Plan& plan) const;

    int m_majorVersion;
    std::uint32_t m_minimumFatSectors = 1;
    bool m_fatTailUsed = false;
    std::vector<Node> m_nodes{Node{"", "Root Entry", false, {}, {}}};
};

} // namespace glyphmere::docengine::binary_testing
