#include "support/SavedProperties.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/CharacterRuns.h"
#include "docengine/container/CompoundFile.h"
#include "docengine/binary/Fib.h"
#include "common/LittleEndian.h"
#include "docengine/binary/PieceTable.h"
#include "docengine/binary/Sprm.h"

#include <algorithm>

namespace glyphmere::docengine::binary_testing {

FontDescription FixedFonts::describe(const std::string& family) const
{
    FontDescription font;
    font.ffid = 0x26;
    font.name = family;
    return font;
}

std::vector<std::string> propertiesByCp(const std::string& fileBytes)
{
    const CompoundFile file = CompoundFile::parse(fileBytes);
    const std::string wordDocument = *file.readStream("WordDocument");
    const Fib fib = Fib::parse(wordDocument);
    const std::string table = *file.readStream(fib.tableStreamName());
    const auto slice = [&](FibPair which) {
        return fieldSlice(table, fib.pair(which).fc, fib.pair(which).lcb, "a test structure");
    };
    const std::uint64_t length = fib.parts.total() + (fib.parts.total() > fib.parts.text ? 1 : 0);
    const PieceTable pieces = PieceTable::parse(slice(FibPair::Clx), wordDocument.size(), length);
    const std::vector<CharacterRun> runs = readCharacterRuns(wordDocument, slice(FibPair::PlcfBteChpx));
    std::vector<std::string> result;
    for (std::uint32_t cp = 0; cp < length; ++cp) {
        const std::uint32_t fc = pieces.fcIntervals(cp, cp + 1).at(0).start;
        const auto after = std::upper_bound(runs.begin(), runs.end(), fc,
                                            [](std::uint32_t at, const CharacterRun& run) { return at < run.fcStart; });
        const bool covered = after != runs.begin() && fc < std::prev(after)->fcEnd;
        result.push_back(covered ? std::prev(after)->grpprl.value_or("-") : "?");
    }
    return result;
}

std::string sizeSprms(std::uint16_t halfPoints)
{
    std::string bytes;
    for (const std::uint16_t sprm : {sprm::kCHps, sprm::kCHpsBi}) {
        common::appendLe16(bytes, sprm);
        common::appendLe16(bytes, halfPoints);
    }
    return bytes;
}

bool endsWithSizeSprms(const std::string& grpprl, std::uint16_t halfPoints)
{
    const std::string suffix = sizeSprms(halfPoints);
    return grpprl.size() >= suffix.size() && grpprl.compare(grpprl.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace glyphmere::docengine::binary_testing
