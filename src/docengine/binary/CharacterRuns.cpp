#include "docengine/binary/CharacterRuns.h"

#include "common/LittleEndian.h"
#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/CharacterFormatEdit.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <algorithm>
#include <functional>

namespace glyphmere::docengine {
namespace {

constexpr std::uint32_t kPageNumberMask = 0x3FFFFF; // PnFkpChpx: bits 0-21
constexpr std::size_t kCrunOffset = kFkpPageSize - 1;
// Property lists are packed below this offset, so every one starts at an even offset and ends before crun.
constexpr std::size_t kPropertyAreaEnd = kFkpPageSize - 2;

[[noreturn]] void refuse(const std::string& detail) { throw EngineError(messages::damagedStructure(detail)); }

std::string pageName(std::uint32_t pageNumber) { return "the character property page " + std::to_string(pageNumber); }

bool strictlyAscending(const std::vector<std::uint32_t>& fcs)
{
    return std::adjacent_find(fcs.begin(), fcs.end(), std::greater_equal<>()) == fcs.end();
}

std::vector<std::uint32_t> fieldU32s(std::string_view bytes, std::size_t offset, std::size_t count, const char* what)
{
    std::vector<std::uint32_t> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = fieldU32(bytes, offset + 4 * i, what);
    return values;
}

std::string_view pageAt(std::string_view wordDocument, std::uint32_t pageNumber)
{
    const std::uint64_t offset = std::uint64_t{pageNumber} * kFkpPageSize;
    if (offset + kFkpPageSize > wordDocument.size())
        refuse(pageName(pageNumber) + " lies outside the WordDocument stream");
    return wordDocument.substr(static_cast<std::size_t>(offset), kFkpPageSize);
}

std::optional<std::string> propertiesAt(std::string_view page, std::uint32_t pageNumber, std::size_t rgb,
                                        std::size_t arraysEnd)
{
    if (rgb == 0)
        return std::nullopt;
    const std::size_t offset = 2 * rgb;
    if (offset < arraysEnd)
        refuse(pageName(pageNumber) + " points at properties inside its offset arrays");
    const std::size_t size = static_cast<unsigned char>(page[offset]);
    if (offset + 1 + size > kCrunOffset)
        refuse(pageName(pageNumber) + " holds properties that run past its end");
    return std::string(page.substr(offset + 1, size));
}

// The page's runs, clipped to [from, to), appended to runs.
void appendPageRuns(std::string_view page, std::uint32_t pageNumber, std::uint32_t from, std::uint32_t to,
                    std::vector<CharacterRun>& runs)
{
    const std::size_t crun = static_cast<unsigned char>(page[kCrunOffset]);
    if (crun == 0 || crun > kMaxRunsPerFkp)
        refuse(pageName(pageNumber) + " gives its number of runs as " + std::to_string(crun) + ", not 1 to 101");
    const std::vector<std::uint32_t> fcs = fieldU32s(page, 0, crun + 1, "a character property page");
    if (!strictlyAscending(fcs))
        refuse(pageName(pageNumber) + " has text offsets that are not in ascending order");
    const std::size_t rgbOffset = 4 * (crun + 1);
    for (std::size_t i = 0; i < crun; ++i) {
        const std::size_t rgb = static_cast<unsigned char>(page[rgbOffset + i]);
        std::optional<std::string> grpprl = propertiesAt(page, pageNumber, rgb, rgbOffset + crun);
        const std::uint32_t start = std::max(fcs[i], from);
        const std::uint32_t end = std::min(fcs[i + 1], to);
        if (start < end)
            runs.push_back({start, end, std::move(grpprl)});
    }
}

// Adds run, merged into the previous one when it has the same properties: the two are contiguous, so every
// FC keeps the properties it had.
void appendMerged(std::vector<CharacterRun>& runs, CharacterRun run)
{
    if (!runs.empty() && runs.back().fcEnd == run.fcStart && runs.back().grpprl == run.grpprl)
        runs.back().fcEnd = run.fcEnd;
    else
        runs.push_back(std::move(run));
}

// The runs without gaps and with equal neighbours merged, after checking that they can be written.
std::vector<CharacterRun> contiguousRuns(const std::vector<CharacterRun>& runs)
{
    if (runs.empty())
        throw EngineError("there are no character runs to write");
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].fcStart >= runs[i].fcEnd || (i > 0 && runs[i].fcStart < runs[i - 1].fcEnd))
            throw EngineError("the character runs to write are empty, out of order or overlapping");
        if (runs[i].grpprl && runs[i].grpprl->size() > kMaxChpxGrpprlSize)
            throw EngineError("a run's character properties pass Word's limit of 255 bytes");
    }
    return normalizedRuns(runs);
}

// One property page being filled: run offsets and property offsets from the start, each distinct property
// list once (as Chpx: a size byte and the list), from the end of the page down at even offsets.
class PageLayout {
public:
    // Adds run when it fits, else leaves the page as it is. The run must outlive the layout.
    bool tryAdd(const CharacterRun& run)
    {
        const bool newChpx = run.grpprl && !chpxIndex(*run.grpprl);
        const std::size_t chpxBytes = m_chpxBytes + (newChpx ? alignedChpxSize(*run.grpprl) : 0);
        const std::size_t crun = m_runs.size() + 1;
        if (crun > kMaxRunsPerFkp || 4 * (crun + 1) + crun + chpxBytes > kPropertyAreaEnd)
            return false;
        if (newChpx)
            m_chpxs.push_back(*run.grpprl);
        m_chpxBytes = chpxBytes;
        m_runs.push_back(&run);
        return true;
    }

    std::string bytes() const
    {
        std::string page;
        for (const CharacterRun* run : m_runs)
            common::appendLe32(page, run->fcStart);
        common::appendLe32(page, m_runs.back()->fcEnd);
        const std::vector<std::size_t> offsets = chpxOffsets();
        for (const CharacterRun* run : m_runs)
            page.push_back(static_cast<char>(run->grpprl ? offsets[*chpxIndex(*run->grpprl)] / 2 : 0));
        page.resize(kFkpPageSize, '\0');
        for (std::size_t i = 0; i < m_chpxs.size(); ++i) {
            page[offsets[i]] = static_cast<char>(m_chpxs[i].size());
            page.replace(offsets[i] + 1, m_chpxs[i].size(), m_chpxs[i]);
        }
        page[kCrunOffset] = static_cast<char>(m_runs.size());
        return page;
    }

private:
    static std::size_t alignedChpxSize(std::string_view grpprl) { return (1 + grpprl.size() + 1) & ~std::size_t{1}; }

    std::optional<std::size_t> chpxIndex(std::string_view grpprl) const
    {
        const auto found = std::find(m_chpxs.begin(), m_chpxs.end(), grpprl);
        return found == m_chpxs.end() ? std::nullopt : std::optional<std::size_t>(found - m_chpxs.begin());
    }

    // Each Chpx's offset: packed from the end of the property area down, each at an even offset.
    std::vector<std::size_t> chpxOffsets() const
    {
        std::vector<std::size_t> offsets;
        std::size_t offset = kPropertyAreaEnd;
        for (std::string_view chpx : m_chpxs) {
            offset -= alignedChpxSize(chpx);
            offsets.push_back(offset);
        }
        return offsets;
    }

    std::vector<const CharacterRun*> m_runs;
    std::vector<std::string_view> m_chpxs; // distinct property lists, in the runs' strings
    std::size_t m_chpxBytes = 0;
};

std::string binTable(const std::vector<std::uint32_t>& fcs, std::uint32_t firstPage)
{
    std::string plc;
    for (std::uint32_t fc : fcs)
        common::appendLe32(plc, fc);
    for (std::uint32_t pageNumber = firstPage; pageNumber + 1 - firstPage < fcs.size(); ++pageNumber)
        common::appendLe32(plc, pageNumber);
    return plc;
}

} // namespace

BinTable parseBinTable(std::string_view plc)
{
    if (plc.size() < 12 || (plc.size() - 4) % 8 != 0)
        refuse("the character property bin table has " + std::to_string(plc.size()) +
               " bytes, which is no whole number of entries");
    const std::size_t count = (plc.size() - 4) / 8;
    constexpr const char* kBinTable = "the character property bin table";
    BinTable table{fieldU32s(plc, 0, count + 1, kBinTable), fieldU32s(plc, 4 * (count + 1), count, kBinTable)};
    if (!strictlyAscending(table.fcs))
        refuse("the character property bin table's text offsets are not in ascending order");
    for (std::uint32_t& pageNumber : table.pageNumbers)
        pageNumber &= kPageNumberMask;
    return table;
}

std::vector<CharacterRun> readCharacterRuns(std::string_view wordDocument, std::string_view plcBteChpx)
{
    const BinTable table = parseBinTable(plcBteChpx);
    std::vector<CharacterRun> runs;
    for (std::size_t i = 0; i < table.pageNumbers.size(); ++i) {
        const std::uint32_t pageNumber = table.pageNumbers[i];
        appendPageRuns(pageAt(wordDocument, pageNumber), pageNumber, table.fcs[i], table.fcs[i + 1], runs);
    }
    return runs;
}

std::vector<CharacterRun> normalizedRuns(const std::vector<CharacterRun>& runs)
{
    std::vector<CharacterRun> normalized;
    for (const CharacterRun& run : runs) {
        if (!normalized.empty() && normalized.back().fcEnd < run.fcStart)
            appendMerged(normalized, {normalized.back().fcEnd, run.fcStart, std::nullopt});
        appendMerged(normalized, run);
    }
    return normalized;
}

PackedCharacterRuns packCharacterRuns(const std::vector<CharacterRun>& runs, std::uint32_t firstPage)
{
    const std::vector<CharacterRun> contiguous = contiguousRuns(runs);
    PackedCharacterRuns packed;
    std::vector<std::uint32_t> fcs;
    for (auto run = contiguous.begin(); run != contiguous.end();) {
        fcs.push_back(run->fcStart);
        PageLayout page;
        while (run != contiguous.end() && page.tryAdd(*run))
            ++run;
        packed.pages.push_back(page.bytes());
    }
    fcs.push_back(contiguous.back().fcEnd);
    if (firstPage > kPageNumberMask || packed.pages.size() - 1 > kPageNumberMask - firstPage)
        throw EngineError("the character property pages would pass the WordDocument stream's limit of 2 GB");
    packed.plcBteChpx = binTable(fcs, firstPage);
    return packed;
}

} // namespace glyphmere::docengine
