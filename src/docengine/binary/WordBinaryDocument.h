#pragma once

#include "docengine/binary/CharacterRuns.h"
#include "docengine/container/CompoundFile.h"
#include "docengine/binary/CpRange.h"
#include "docengine/binary/DocumentProperties.h"
#include "docengine/binary/Fib.h"
#include "docengine/binary/FirstSection.h"
#include "docengine/binary/FontTable.h"
#include "docengine/binary/HeaderStories.h"
#include "docengine/binary/PieceTable.h"
#include "docengine/document/FontChange.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace glyphmere::docengine {

class FontDescriber;
struct CharacterFormatEdit;
struct WordStreams;

enum class BinaryStory { MainText, CurrentPageHeader, CurrentPageFooter };

struct BinaryStoryCounts {
    int runs = 0;
    int paragraphMarks = 0; // paragraph marks (0x0D) and table cell and row marks (0x07)
};

// A Word 97-2003 document (.doc, .dot) opened read-only in memory: its stories, a font pass over some of
// them that changes only the character properties of their text, and the whole file as it is after it.
class WordBinaryDocument {
public:
    // Parses and checks everything the restyle depends on; EngineError with the reason (every refusal).
    WordBinaryDocument(std::string fileBytes, const FontDescriber& fonts);

    int savedViewType() const { return m_properties.savedViewType(); }
    bool isTemplate() const { return m_fib.isTemplate; }
    std::vector<CpRange> story(BinaryStory which) const; // empty: no such story
    struct NamedStory {
        std::string name; // "header", "footer", "footnotes", "endnotes", "comments", "text boxes"
        std::vector<CpRange> ranges;
    };
    // Every story apart from the main text and the separators, for the batch's --all-stories.
    std::vector<NamedStory> allStories() const;

    // Sets the change on the characters of `ranges`; the document is unchanged when it throws.
    BinaryStoryCounts restyle(const std::vector<CpRange>& ranges, const FontChange& change);
    // Whether some character's properties differ from the file's: a restyle may set what they already were.
    bool isChanged() const { return m_changed; }
    // The whole file with the restyle written into it (the original bytes while nothing changed).
    std::string savedBytes() const;

private:
    struct PartStarts;
    PartStarts partStarts() const;
    std::uint32_t textLength() const;
    CharacterFormatEdit formatEdit(const FontChange& change, FontTable& fonts) const;
    int paragraphMarks(const std::vector<CpRange>& ranges) const;
    std::optional<std::size_t> autoTextFibOffset() const;
    WordStreams streams() const;

    std::string m_originalBytes;
    CompoundFile m_file;
    const FontDescriber& m_fonts;
    std::string m_wordDocument;
    Fib m_fib;
    std::string m_table;
    DocumentProperties m_properties;
    PieceTable m_pieces;
    HeaderStories m_headers;
    FirstSection m_firstSection;
    FontTable m_fontTable;
    std::size_t m_originalFontCount = 0;
    std::vector<CharacterRun> m_runs;
    std::vector<CharacterRun> m_originalRuns; // normalized
    bool m_changed = false;
};

} // namespace glyphmere::docengine
