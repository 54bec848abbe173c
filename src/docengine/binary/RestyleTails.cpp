#include "docengine/binary/RestyleTails.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/CharacterRuns.h"
#include "docengine/binary/PieceTable.h"
#include "docengine/EngineError.h"

#include <algorithm>
#include <limits>

namespace glyphmere::docengine {

namespace {

constexpr std::uint64_t kPageSize = kFkpPageSize;
constexpr std::uint32_t kNoSectionProperties = 0xFFFFFFFF;
// The end of what could not be read: it may lie anywhere, so nothing may be written over.
constexpr std::uint64_t kUnknownEnd = std::numeric_limits<std::uint64_t>::max();

bool allZero(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return byte == '\0'; });
}

std::string_view pairBytes(std::string_view table, const Fib& fib, FibPair which)
{
    const FcLcb pair = fib.pair(which);
    return pair.lcb == 0 ? std::string_view() : fieldSlice(table, pair.fc, pair.lcb, "a structure of the table");
}

// The end of the last page a bin table names.
std::uint64_t pagesEnd(std::string_view binTable)
{
    std::uint64_t end = 0;
    if (!binTable.empty()) {
        for (const std::uint32_t page : parseBinTable(binTable).pageNumbers)
            end = std::max(end, (std::uint64_t{page} + 1) * kPageSize);
    }
    return end;
}

std::uint64_t sectionPropertiesEnd(std::string_view plcfSed, std::string_view wordDocument)
{
    if (plcfSed.empty())
        return 0;
    if (plcfSed.size() < 16 || (plcfSed.size() - 4) % 16 != 0)
        refuseDamaged("the section table has a size that does not fit its entries");
    const std::size_t count = (plcfSed.size() - 4) / 16;
    std::uint64_t end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t at = fieldU32(plcfSed, 4 * (count + 1) + 12 * i + 2, "the section table");
        if (at != kNoSectionProperties)
            end = std::max(end, std::uint64_t{at} + 2 + fieldU16(wordDocument, at, "a section's properties"));
    }
    return end;
}

// The end of what the document of one FIB keeps in the WordDocument stream besides its character property
// pages: the FIB, its text, its paragraph property pages and its section properties.
std::uint64_t keptWordDocumentEnd(const WordStreams& streams, std::size_t offset, const Fib& fib)
{
    try {
        std::uint64_t end = offset + fib.byteLength;
        const PieceTable pieces = PieceTable::parse(pairBytes(streams.table, fib, FibPair::Clx),
                                                    streams.wordDocument.size(), fib.parts.cpCount());
        for (const Piece& piece : pieces.pieces())
            end = std::max(end, piece.fcEnd());
        return std::max({end, pagesEnd(pairBytes(streams.table, fib, FibPair::PlcfBtePapx)),
                         sectionPropertiesEnd(pairBytes(streams.table, fib, FibPair::PlcfSed), streams.wordDocument)});
    } catch (const EngineError&) {
        // The restyle never needed the AutoText document, the paragraph pages or the later sections: damage
        // there only keeps the stream's bytes where they are.
        return kUnknownEnd;
    }
}

// The end of everything the FIBs point at in the table stream besides the bin table and the document's font
// table. A pair that starts past the stream's end describes nothing in it (Word leaves some undefined).
std::uint64_t keptTableEnd(const WordStreams& streams)
{
    std::uint64_t end = 0;
    for (std::size_t fib = 0; fib < streams.fibs.size(); ++fib) {
        const std::vector<FcLcb> pairs = streams.fibs[fib].second.pairs();
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const bool replaced = i == static_cast<std::size_t>(FibPair::PlcfBteChpx) ||
                                  (fib == 0 && i == static_cast<std::size_t>(FibPair::SttbfFfn));
            if (!replaced && pairs[i].lcb != 0 && pairs[i].fc < streams.table.size())
                end = std::max(end, std::uint64_t{pairs[i].fc} + pairs[i].lcb);
        }
    }
    return end;
}

std::uint64_t characterPagesStart(const WordStreams& streams)
{
    const Fib& fib = streams.fibs.front().second;
    const BinTable binTable = parseBinTable(pairBytes(streams.table, fib, FibPair::PlcfBteChpx));
    std::vector<ByteExtent> pages;
    for (const std::uint32_t page : binTable.pageNumbers)
        pages.push_back({page * kPageSize, (page + 1) * kPageSize});
    std::uint64_t keptEnd = binTable.fcs.back();
    for (const auto& [offset, each] : streams.fibs)
        keptEnd = std::max(keptEnd, keptWordDocumentEnd(streams, offset, each));
    return rewritableTailStart(streams.wordDocument, std::move(pages), keptEnd);
}

} // namespace

std::uint64_t rewritableTailStart(std::string_view stream, std::vector<ByteExtent> replaced, std::uint64_t keptEnd)
{
    std::erase_if(replaced, [&](const ByteExtent& extent) {
        return extent.start < keptEnd || extent.start >= extent.end || extent.end > stream.size();
    });
    std::sort(replaced.begin(), replaced.end(), [](auto a, auto b) { return a.start < b.start; });
    if (replaced.empty())
        return stream.size();
    std::uint64_t at = replaced.front().start;
    for (const ByteExtent& extent : replaced) {
        if (extent.start > at && !allZero(stream.substr(at, extent.start - at)))
            return stream.size();
        at = std::max(at, extent.end);
    }
    return allZero(stream.substr(at)) ? replaced.front().start : stream.size();
}

RestyleTails findRestyleTails(const WordStreams& streams)
{
    const Fib& fib = streams.fibs.front().second;
    const FcLcb binTable = fib.pair(FibPair::PlcfBteChpx);
    const FcLcb fontTable = fib.pair(FibPair::SttbfFfn);
    std::vector<ByteExtent> tables = {{binTable.fc, std::uint64_t{binTable.fc} + binTable.lcb}};
    if (fontTable.lcb != 0)
        tables.push_back({fontTable.fc, std::uint64_t{fontTable.fc} + fontTable.lcb});
    const std::uint64_t tablesStart = rewritableTailStart(streams.table, std::move(tables), keptTableEnd(streams));
    const std::uint64_t pagesStart = characterPagesStart(streams);

    const std::uint64_t pages = (streams.wordDocument.size() + kPageSize - 1) / kPageSize;
    if (pagesStart == streams.wordDocument.size() || tablesStart == streams.table.size())
        return {static_cast<std::uint32_t>(pages), static_cast<std::uint32_t>(streams.table.size()), false};
    return {static_cast<std::uint32_t>(pagesStart / kPageSize), static_cast<std::uint32_t>(tablesStart),
            fontTable.lcb != 0 && fontTable.fc >= tablesStart};
}

} // namespace glyphmere::docengine
