#pragma once

#include "docengine/container/CompoundLayout.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// A compound file (the container of Word 97-2003 documents) read from its bytes in memory. Every chain it
// follows is bounded and visits each sector once, and every sector number and size is checked against the
// file, so a damaged container gives an EngineError naming the structure instead of a crash or a hang.
// Paths are '/'-separated from the root ("ObjectPool/_123"); names compare without regard to case.
class CompoundFile {
public:
    // Reads the header, the FAT, the directory and its tree; a stream's own chain is checked when it is read.
    static CompoundFile parse(std::string fileBytes);

    bool hasEntry(std::string_view path) const;
    bool hasStream(std::string_view path) const;
    // Exactly the stream's bytes; nullopt when there is no stream at path.
    std::optional<std::string> readStream(std::string_view path) const;

    // The whole file again with the named streams' contents replaced, each at least as long as before. The
    // streams grow in place: their sectors stay, new ones are appended at the end of the file. Every other
    // stream, directory entry and sector stays byte-identical.
    std::string withStreams(const std::map<std::string, std::string>& newContents) const;

private:
    CompoundFile(std::string paddedBytes, std::uint64_t fileSize, cfb::CompoundLayout layout);
    std::optional<std::uint32_t> findEntry(std::string_view path) const;
    std::uint32_t findStream(std::string_view path) const;

    std::string m_bytes; // padded to whole sectors
    std::uint64_t m_fileSize;
    cfb::CompoundLayout m_layout;
};

} // namespace glyphmere::docengine
