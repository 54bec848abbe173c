#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// The fc/lcb pairs the restyle reads or moves, by their index in the FIB's fc/lcb array.
enum class FibPair : std::size_t {
    Stshf = 1,
    PlcfSed = 6,
    PlcfHdd = 11,
    PlcfBteChpx = 12,
    PlcfBtePapx = 13,
    SttbfFfn = 15,
    Dop = 31,
    Clx = 33,
};

struct FcLcb {
    std::uint32_t fc = 0;
    std::uint32_t lcb = 0;
};

// The character counts of the document parts, in the order the parts follow each other in CP space.
struct PartLengths {
    std::uint32_t text = 0, footnotes = 0, headers = 0, macros = 0, comments = 0, endnotes = 0, textBoxes = 0,
                  headerTextBoxes = 0;

    std::uint64_t total() const;
    // The CPs the piece table covers: the parts, and one more paragraph mark after them when any part
    // besides the main text has text.
    std::uint64_t cpCount() const;
};

// The file information block at the start of the WordDocument stream (or of a template's AutoText
// document), read by its counts and never by the version number it claims.
class Fib {
public:
    // EngineError for Word 6/95 and older, for encrypted files (whose fields past the first 68 bytes are
    // unreadable), and for a FIB that does not fit its stream or whose version, counts or flags contradict
    // each other (damage, which is never reported as an old version).
    static Fib parse(std::string_view wordDocument, std::size_t offset = 0);

    bool isTemplate = false;
    bool isAutoTextOnly = false;
    bool isEncrypted = false;
    bool usesTable1 = false;
    std::uint16_t glossaryPage = 0; // pnNext
    std::uint32_t cbMac = 0;
    PartLengths parts;
    std::size_t byteLength = 0; // from its start to the end of its last count

    FcLcb pair(FibPair which) const;
    // Every fc/lcb pair, in the FIB's order (FibPair values index it).
    std::vector<FcLcb> pairs() const;
    std::string_view tableStreamName() const { return usesTable1 ? "1Table" : "0Table"; }

    // Writes the fields a restyle moves into the FIB that starts at `offset` of `wordDocument`.
    static void writePair(std::string& wordDocument, std::size_t offset, FibPair which, FcLcb value);
    static void writeCbMac(std::string& wordDocument, std::size_t offset, std::uint32_t cbMac);
    static void writeCharacterPages(std::string& wordDocument, std::size_t offset, std::uint32_t firstPage,
                                    std::uint32_t pageCount);

private:
    std::string m_pairs; // the fibRgFcLcbBlob
};

} // namespace glyphmere::docengine
