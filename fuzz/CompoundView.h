#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::fuzz {

// A compound file as the fuzz target's own code reads it, without the engine's reader: the header, the FAT
// through the header's slots and the DIFAT chain, the directory tree, the mini FAT and the mini stream. Every
// chain is walked to its end with a visited set and must stay inside the file (a short last sector counts,
// as if padded with zeros). Never throws: what cannot be read is recorded as a problem.
class CompoundView {
public:
    explicit CompoundView(std::string_view file);

    // Empty when the header, FAT, directory, mini FAT and mini stream all read; else what failed first.
    const std::string& containerProblem() const { return m_problem; }

    struct StreamRead {
        std::optional<std::string> bytes;
        std::string problem; // why bytes is empty
        bool operator==(const StreamRead&) const = default;
    };
    // Every stream reached from the root, by '/'-separated path.
    std::map<std::string, StreamRead> readStreams() const;
    StreamRead readStream(std::string_view path) const;

    // For mutations: the file offset of byte `offset` of the stream at path, if it has one.
    std::optional<std::size_t> fileOffset(std::string_view path, std::size_t offset) const;
    std::size_t sectorSize() const { return m_sectorSize; }
    std::size_t sectorCount() const { return m_sectorCount; }
    const std::vector<std::uint32_t>& fatSectors() const { return m_fatSectors; }
    const std::vector<std::uint32_t>& miniFatSectors() const { return m_miniFatSectors; }
    // The file offset of each reached directory entry.
    std::vector<std::size_t> entryOffsets() const;

private:
    struct Entry {
        std::string path;
        std::uint8_t type = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
        std::size_t offset = 0;
    };
    using Chain = std::vector<std::uint32_t>;

    bool readHeaderAndFat();
    bool readDirectory();
    bool readMiniStream();
    std::optional<Chain> walk(const std::vector<std::uint32_t>& links, std::uint64_t units, std::uint32_t start,
                              std::string& problem) const;
    std::optional<Chain> chainOf(const Entry& entry, std::string& problem) const;
    std::size_t unitOffset(const Entry& entry, const Chain& chain, std::size_t offset) const;
    const Entry* find(std::string_view path) const;
    std::uint32_t le32(std::size_t at) const;

    std::string m_file;
    std::string m_problem;
    std::size_t m_sectorSize = 512;
    std::size_t m_sectorCount = 0;
    std::vector<std::uint32_t> m_fat, m_fatSectors, m_directory, m_miniFat, m_miniFatSectors, m_miniStream;
    std::vector<Entry> m_entries;
};

} // namespace glyphmere::fuzz
