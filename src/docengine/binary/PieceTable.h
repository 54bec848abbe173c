#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// A stretch of text: CPs [cpStart, cpEnd) stored at byte offset fc of the WordDocument stream, one byte per
// character when compressed, else two.
struct Piece {
    std::uint32_t cpStart = 0;
    std::uint32_t cpEnd = 0;
    std::uint32_t fc = 0; // the real byte offset, already halved for compressed text
    bool compressed = false;
    std::uint16_t prm = 0;

    std::uint32_t bytesPerCharacter() const { return compressed ? 1 : 2; }
    std::uint64_t fcEnd() const { return fc + std::uint64_t{cpEnd - cpStart} * bytesPerCharacter(); }
};

// A half-open byte interval of the WordDocument stream.
struct FcInterval {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

// The piece table of the Clx: where each CP's text lies, and the property lists its pieces point at.
class PieceTable {
public:
    // EngineError when the Clx is malformed, when a piece lies outside the WordDocument stream of
    // `streamSize` bytes, when two pieces share text, or when the pieces do not cover [0, cpCount).
    static PieceTable parse(std::string_view clx, std::uint64_t streamSize, std::uint64_t cpCount);

    const std::vector<Piece>& pieces() const { return m_pieces; }
    // The property list a Prm1 names; nullopt for a Prm0.
    std::optional<std::string_view> pieceProperties(const Piece& piece) const;

    // The byte intervals of CPs [start, end), in CP order (fast-saved files store text out of order).
    std::vector<FcInterval> fcIntervals(std::uint32_t start, std::uint32_t end) const;
    // The characters of CPs [start, end) read from the stream, as UTF-16 code units.
    std::u16string text(std::string_view wordDocument, std::uint32_t start, std::uint32_t end) const;

private:
    std::vector<Piece> m_pieces;
    std::vector<std::string> m_propertyLists; // the Clx's RgPrc
};

} // namespace glyphmere::docengine
