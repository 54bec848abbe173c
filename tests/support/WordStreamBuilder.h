#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace glyphmere::testing_support {

// A run of direct character formatting over CPs [cpStart, cpEnd); an empty list means none (rgb 0).
struct WordTestRun {
    std::uint32_t cpStart = 0;
    std::uint32_t cpEnd = 0;
    std::string grpprl;
};

// A piece ending at cpEnd (it starts where the previous one ends).
struct WordTestPiece {
    std::uint32_t cpEnd = 0;
    bool compressed = true;
    std::uint16_t prm = 0;
};

// The content of a small Word 97-2003 document, as the tests describe it. Texts use '\r' for paragraph
// marks; compressed pieces hold only characters below 0x80.
struct WordTestDocument {
    std::u16string mainText = u"Hello world\r";
    std::u16string footnotes, headers, comments, endnotes, textBoxes, headerTextBoxes;
    std::vector<std::uint32_t> headerStoryStarts; // the header plex's positions, its end included
    std::vector<WordTestPiece> pieces;            // none: one compressed piece over all the text
    bool piecesStoredBackwards = false;           // the last piece's text first, as a fast save leaves it
    std::vector<std::string> pieceProperties;     // the Clx's property lists, for Prm1
    std::vector<WordTestRun> runs;                // none: no direct formatting anywhere
    bool coverEveryCharacter = true;              // false: text outside `runs` has no run at all
    std::vector<std::string> fonts = {"Times New Roman", "Symbol", "Arial"};
    std::string firstSectionProperties; // section 1's grpprl
    std::string dop = std::string(616, '\0');
    std::uint16_t fibFlags = 0x1000 | 0x0200; // fExtChar, 1Table
    std::uint16_t nFib = 0x00C1;
    bool autoTextDocument = false; // a template's AutoText FIB at pnNext (sets fDot)
};

struct WordTestStreams {
    std::string wordDocument;
    std::string table;
};

WordTestStreams buildWordStreams(const WordTestDocument& document);

// Little-endian patches for hostile variants of built streams.
void patchU16(std::string& bytes, std::size_t offset, std::uint16_t value);
void patchU32(std::string& bytes, std::size_t offset, std::uint32_t value);

// FIB offsets the tests patch.
inline constexpr std::size_t kFibFlags = 0x0A;
inline constexpr std::size_t kFibPairs = 0x9A;
inline constexpr std::size_t fibPairOffset(std::size_t index) { return kFibPairs + index * 8; }

// A Prl: a sprm followed by its operand bytes.
std::string prl(std::uint16_t sprm, const std::string& operand);
std::string prl16(std::uint16_t sprm, std::uint16_t value);

} // namespace glyphmere::testing_support
