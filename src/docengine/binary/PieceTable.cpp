#include "docengine/binary/PieceTable.h"

#include "docengine/binary/BinaryFields.h"

#include <algorithm>

namespace glyphmere::docengine {

namespace {

constexpr const char* kWhat = "the piece table";
constexpr std::uint8_t kPropertyListTag = 0x01;
constexpr std::uint8_t kPieceTableTag = 0x02;
constexpr std::int16_t kLongestPropertyList = 0x3FA2;
constexpr std::uint32_t kCompressedFlag = 0x40000000;

std::vector<Piece> readPieces(std::string_view plcPcd)
{
    if (plcPcd.size() < 16 || (plcPcd.size() - 4) % 12 != 0)
        refuseDamaged("the piece table has a size that does not fit its entries");
    const std::size_t count = (plcPcd.size() - 4) / 12;
    const std::size_t descriptors = (count + 1) * 4;
    std::vector<Piece> pieces(count);
    for (std::size_t i = 0; i < count; ++i) {
        Piece& piece = pieces[i];
        piece.cpStart = fieldU32(plcPcd, i * 4, kWhat);
        piece.cpEnd = fieldU32(plcPcd, i * 4 + 4, kWhat);
        if (piece.cpEnd <= piece.cpStart)
            refuseDamaged("the piece table's positions are not in ascending order");
        const std::uint32_t fc = fieldU32(plcPcd, descriptors + i * 8 + 2, kWhat);
        piece.compressed = fc & kCompressedFlag;
        piece.fc = piece.compressed ? (fc & ~kCompressedFlag) / 2 : fc;
        piece.prm = fieldU16(plcPcd, descriptors + i * 8 + 6, kWhat);
    }
    return pieces;
}

void checkPlacement(const std::vector<Piece>& pieces, std::uint64_t streamSize, std::uint64_t cpCount)
{
    if (pieces.front().cpStart != 0 || pieces.back().cpEnd < cpCount)
        refuseDamaged("the piece table does not cover the document's text");
    std::vector<FcInterval> stored;
    for (const Piece& piece : pieces) {
        if (piece.fc & 0x80000000 || piece.fcEnd() > streamSize)
            refuseDamaged("a piece of text lies outside the WordDocument stream");
        stored.push_back({piece.fc, static_cast<std::uint32_t>(piece.fcEnd())});
    }
    std::sort(stored.begin(), stored.end(), [](auto a, auto b) { return a.start < b.start; });
    for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i].start < stored[i - 1].end)
            refuseDamaged("the piece table overlaps itself");
    }
}

} // namespace

PieceTable PieceTable::parse(std::string_view clx, std::uint64_t streamSize, std::uint64_t cpCount)
{
    PieceTable table;
    std::size_t at = 0;
    while (fieldU8(clx, at, kWhat) == kPropertyListTag) {
        const auto size = static_cast<std::int16_t>(fieldU16(clx, at + 1, kWhat));
        if (size < 0 || size > kLongestPropertyList)
            refuseDamaged("a property list of the piece table has an impossible size");
        table.m_propertyLists.emplace_back(fieldSlice(clx, at + 3, static_cast<std::size_t>(size), kWhat));
        at += 3 + static_cast<std::size_t>(size);
    }
    if (fieldU8(clx, at, kWhat) != kPieceTableTag)
        refuseDamaged("the piece table has an unknown entry");
    const std::uint32_t size = fieldU32(clx, at + 1, kWhat);
    table.m_pieces = readPieces(fieldSlice(clx, at + 5, size, kWhat));
    checkPlacement(table.m_pieces, streamSize, cpCount);
    for (const Piece& piece : table.m_pieces) {
        if ((piece.prm & 1) && (piece.prm >> 1) >= table.m_propertyLists.size())
            refuseDamaged("a piece names a property list the piece table does not hold");
    }
    return table;
}

std::optional<std::string_view> PieceTable::pieceProperties(const Piece& piece) const
{
    if (!(piece.prm & 1))
        return std::nullopt;
    return m_propertyLists.at(piece.prm >> 1);
}

std::vector<FcInterval> PieceTable::fcIntervals(std::uint32_t start, std::uint32_t end) const
{
    std::vector<FcInterval> intervals;
    for (const Piece& piece : m_pieces) {
        const std::uint32_t from = std::max(start, piece.cpStart);
        const std::uint32_t to = std::min(end, piece.cpEnd);
        if (from >= to)
            continue;
        const std::uint32_t width = piece.bytesPerCharacter();
        intervals.push_back({piece.fc + (from - piece.cpStart) * width, piece.fc + (to - piece.cpStart) * width});
    }
    return intervals;
}

std::u16string PieceTable::text(std::string_view wordDocument, std::uint32_t start, std::uint32_t end) const
{
    std::u16string characters;
    for (const Piece& piece : m_pieces) {
        const std::uint32_t from = std::max(start, piece.cpStart);
        const std::uint32_t to = std::min(end, piece.cpEnd);
        for (std::uint32_t cp = from; cp < to; ++cp) {
            const std::size_t offset = piece.fc + std::size_t{cp - piece.cpStart} * piece.bytesPerCharacter();
            characters.push_back(piece.compressed ? fieldU8(wordDocument, offset, kWhat)
                                                  : fieldU16(wordDocument, offset, kWhat));
        }
    }
    return characters;
}

} // namespace glyphmere::docengine
