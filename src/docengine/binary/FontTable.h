#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// What a font table entry (FFN) records about a font besides its name.
struct FontDescription {
    std::uint8_t ffid = 0; // pitch (bits 0-1), TrueType (bit 2), family (bits 4-6)
    std::uint16_t weight = 400;
    std::uint8_t charset = 0;
    std::array<std::uint8_t, 10> panose{};
    std::array<std::uint32_t, 6> signature{}; // Unicode ranges 1-4, code page ranges 1-2
    std::string name;                         // UTF-8

    bool operator==(const FontDescription&) const = default;
};

// A document's font table (SttbfFfn). Entries that were read stay byte for byte as they were; new ones
// are appended, so every existing font index keeps its meaning.
class FontTable {
public:
    // EngineError when the table is damaged: a count or size that passes its end, or a name without end.
    static FontTable parse(std::string_view sttbfFfn);

    std::size_t size() const { return m_entries.size(); }
    std::string name(std::size_t index) const { return m_entries.at(index).name; }
    // The first entry whose name matches, compared without regard to case.
    std::optional<std::size_t> find(std::string_view utf8Name) const;
    // The new entry's index. EngineError when the name does not fit an entry or the table is full.
    std::size_t append(const FontDescription& font);
    // The SttbfFfn bytes.
    std::string serialize() const;

private:
    struct Entry {
        std::string bytes; // the size byte and the FFN
        std::string name;
    };

    std::vector<Entry> m_entries;
};

} // namespace glyphmere::docengine
