#include "docengine/binary/WordBinaryDocument.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/binary/CharacterFormatEdit.h"
#include "docengine/binary/InstalledFonts.h"
#include "docengine/binary/RestylePlan.h"
#include "docengine/binary/RestyleTails.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>

namespace glyphmere::docengine {

namespace {

constexpr std::size_t kPageSize = kFkpPageSize;
constexpr std::uint64_t kLargestStream = 0x7FFFFFFF;
constexpr const char* kWordDocumentStream = "WordDocument";

CompoundFile openContainer(const std::string& bytes)
{
    CompoundFile file = CompoundFile::parse(bytes);
    if (file.hasEntry("\x06"
                      "DataSpaces"))
        throw EngineError(messages::kRightsManaged);
    if (file.hasEntry("EncryptedPackage"))
        throw EngineError(messages::kPasswordProtected);
    if (file.hasEntry("_signatures") || file.hasEntry("_xmlsignatures"))
        throw EngineError(messages::kDigitallySigned);
    if (!file.hasEntry(kWordDocumentStream))
        throw EngineError(messages::kNotAWordDocument);
    return file;
}

std::string requiredStream(const CompoundFile& file, std::string_view name)
{
    std::optional<std::string> stream = file.readStream(name);
    if (!stream)
        refuseDamaged("the document has no \"" + std::string(name) + "\" stream");
    return std::move(*stream);
}

Fib documentFib(std::string_view wordDocument)
{
    Fib fib = Fib::parse(wordDocument);
    if (fib.isAutoTextOnly)
        throw EngineError(messages::kAutoTextOnly);
    return fib;
}

std::string_view tableStructure(std::string_view table, const Fib& fib, FibPair which, const char* what)
{
    const FcLcb pair = fib.pair(which);
    if (pair.lcb == 0)
        return {}; // the offset of an empty structure means nothing
    return fieldSlice(table, pair.fc, pair.lcb, what);
}

// The document properties decide refusals (protection, tracked changes); read from another structure's bytes
// they would refuse a document for a reason it does not have, so a misplaced one is reported as damage.
DocumentProperties documentProperties(std::string_view table, const Fib& fib)
{
    const FcLcb dop = fib.pair(FibPair::Dop);
    for (const FibPair other : {FibPair::Stshf, FibPair::PlcfSed, FibPair::PlcfHdd, FibPair::PlcfBteChpx,
                                FibPair::PlcfBtePapx, FibPair::SttbfFfn, FibPair::Clx}) {
        const FcLcb pair = fib.pair(other);
        const std::uint64_t end = std::uint64_t{pair.fc} + pair.lcb;
        const bool overlap = pair.fc < std::uint64_t{dop.fc} + dop.lcb && dop.fc < end;
        // A structure past the stream's end is refused when it is read, for that reason.
        if (pair.lcb != 0 && dop.lcb != 0 && end <= table.size() && overlap)
            refuseDamaged("the document properties overlap another structure of the table stream");
    }
    return DocumentProperties::parse(tableStructure(table, fib, FibPair::Dop, "the document properties"));
}

void refuseOverridingPieces(const PieceTable& pieces)
{
    for (const Piece& piece : pieces.pieces()) {
        const std::optional<std::string_view> properties = pieces.pieceProperties(piece);
        const bool overrides = properties ? overridesFontOrSize(*properties) : prm0OverridesFontOrSize(piece.prm);
        if (overrides)
            throw EngineError(messages::kPieceFormatting);
    }
}

// The restyle rewrites fields of the FIB, and of a template's AutoText FIB: text stored there would change.
void refuseTextInFibs(const PieceTable& pieces, const std::vector<std::pair<std::size_t, std::size_t>>& fibs)
{
    for (const Piece& piece : pieces.pieces()) {
        for (const auto& [start, size] : fibs) {
            if (piece.fc < start + size && piece.fcEnd() > start)
                refuseDamaged("a piece of text lies inside a file information block");
        }
    }
}

// The stream's bytes before `at` (padded with zeros up to it), then the parts. A stream keeps its length
// at least, with zeros where the parts leave off, because a compound file's streams are updated in place and
// never shrink.
std::string withTail(std::string_view stream, std::size_t at, const std::vector<std::string>& parts)
{
    std::string bytes(stream.substr(0, at));
    bytes.resize(at, '\0');
    for (const std::string& part : parts)
        bytes += part;
    bytes.resize(std::max(bytes.size(), stream.size()), '\0');
    return bytes;
}

void append(std::vector<FcInterval>& to, const std::vector<FcInterval>& intervals)
{
    to.insert(to.end(), intervals.begin(), intervals.end());
}

} // namespace

struct WordBinaryDocument::PartStarts {
    std::uint32_t footnotes, headers, comments, endnotes, textBoxes, headerTextBoxes;
};

WordBinaryDocument::WordBinaryDocument(std::string fileBytes, const FontDescriber& fonts)
    : m_originalBytes(std::move(fileBytes)), m_file(openContainer(m_originalBytes)), m_fonts(fonts),
      m_wordDocument(requiredStream(m_file, kWordDocumentStream)), m_fib(documentFib(m_wordDocument)),
      m_table(requiredStream(m_file, m_fib.tableStreamName())), m_properties(documentProperties(m_table, m_fib)),
      m_pieces(PieceTable::parse(tableStructure(m_table, m_fib, FibPair::Clx, "the piece table"), m_wordDocument.size(),
                                 textLength())),
      m_headers(HeaderStories::parse(tableStructure(m_table, m_fib, FibPair::PlcfHdd, "the header table"),
                                     partStarts().headers, m_fib.parts.headers)),
      m_firstSection(
          FirstSection::parse(tableStructure(m_table, m_fib, FibPair::PlcfSed, "the section table"), m_wordDocument)),
      m_fontTable(FontTable::parse(tableStructure(m_table, m_fib, FibPair::SttbfFfn, "the font table")))
{
    refuseOverridingPieces(m_pieces);
    m_originalFontCount = m_fontTable.size();
    m_runs = readCharacterRuns(
        m_wordDocument, tableStructure(m_table, m_fib, FibPair::PlcfBteChpx, "the character property bin table"));
    m_originalRuns = normalizedRuns(m_runs);
    std::vector<std::pair<std::size_t, std::size_t>> fibs{{0, m_fib.byteLength}};
    if (const auto offset = autoTextFibOffset()) {
        const Fib autoText = Fib::parse(m_wordDocument, *offset);
        const FcLcb own = m_fib.pair(FibPair::PlcfBteChpx);
        const FcLcb shared = autoText.pair(FibPair::PlcfBteChpx);
        if (own.fc != shared.fc || own.lcb != shared.lcb)
            refuseDamaged("the AutoText document's character properties are not the document's");
        fibs.emplace_back(*offset, autoText.byteLength);
    }
    refuseTextInFibs(m_pieces, fibs);
}

WordBinaryDocument::PartStarts WordBinaryDocument::partStarts() const
{
    const PartLengths& parts = m_fib.parts;
    PartStarts starts{};
    starts.footnotes = parts.text;
    starts.headers = starts.footnotes + parts.footnotes;
    starts.comments = starts.headers + parts.headers + parts.macros;
    starts.endnotes = starts.comments + parts.comments;
    starts.textBoxes = starts.endnotes + parts.endnotes;
    starts.headerTextBoxes = starts.textBoxes + parts.textBoxes;
    return starts;
}

std::uint32_t WordBinaryDocument::textLength() const
{
    // Fib::parse keeps the total below 2^31.
    return static_cast<std::uint32_t>(m_fib.parts.cpCount());
}

std::optional<std::size_t> WordBinaryDocument::autoTextFibOffset() const
{
    if (!m_fib.isTemplate || m_fib.glossaryPage == 0)
        return std::nullopt;
    return std::size_t{m_fib.glossaryPage} * kPageSize;
}

std::vector<CpRange> WordBinaryDocument::story(BinaryStory which) const
{
    std::optional<CpRange> range;
    if (which == BinaryStory::MainText && m_fib.parts.text > 0)
        range = CpRange{0, m_fib.parts.text};
    else if (which != BinaryStory::MainText)
        range =
            m_headers.pageOneStory(m_firstSection, m_properties.facingPages(), which == BinaryStory::CurrentPageFooter);
    if (!range)
        return {};
    return {*range};
}

std::vector<WordBinaryDocument::NamedStory> WordBinaryDocument::allStories() const
{
    std::vector<NamedStory> stories;
    for (const HeaderStories::SectionStory& story : m_headers.sectionStories())
        stories.push_back({story.footer ? "footer" : "header", {story.range}});
    const PartStarts starts = partStarts();
    const PartLengths& parts = m_fib.parts;
    const std::tuple<const char*, std::uint32_t, std::uint32_t> others[] = {
        {"footnotes", starts.footnotes, parts.footnotes},
        {"comments", starts.comments, parts.comments},
        {"endnotes", starts.endnotes, parts.endnotes},
        {"text boxes", starts.textBoxes, parts.textBoxes},
        {"text boxes", starts.headerTextBoxes, parts.headerTextBoxes},
    };
    for (const auto& [name, start, length] : others) {
        if (length > 0)
            stories.push_back({name, {{start, start + length}}});
    }
    return stories;
}

CharacterFormatEdit WordBinaryDocument::formatEdit(const FontChange& change, FontTable& fonts) const
{
    const auto indexOf = [&](const std::string& name) {
        std::optional<std::size_t> index = fonts.find(name);
        if (!index) {
            FontDescription description = m_fonts.describe(name);
            description.name = name;
            index = fonts.append(description);
        }
        return static_cast<std::int16_t>(*index);
    };
    CharacterFormatEdit edit;
    if (change.name)
        edit.font = indexOf(*change.name);
    if (change.halfPoints)
        edit.halfPoints = static_cast<std::uint16_t>(*change.halfPoints);
    if (change.eastAsianName)
        edit.eastAsianFont = indexOf(*change.eastAsianName);
    if (change.complexScriptName)
        edit.complexScriptFont = indexOf(*change.complexScriptName);
    return edit;
}

int WordBinaryDocument::paragraphMarks(const std::vector<CpRange>& ranges) const
{
    int count = 0;
    for (const CpRange& range : ranges) {
        const std::u16string text = m_pieces.text(m_wordDocument, range.start, range.end);
        count += static_cast<int>(
            std::count_if(text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\a'; }));
    }
    return count;
}

BinaryStoryCounts WordBinaryDocument::restyle(const std::vector<CpRange>& ranges, const FontChange& change)
{
    if (!change.name && !change.halfPoints && !change.eastAsianName && !change.complexScriptName)
        return {};
    std::vector<CpRange> sorted = ranges;
    std::sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a.start < b.start; });
    const std::uint32_t end = m_pieces.pieces().back().cpEnd;
    std::vector<FcInterval> targets, others;
    std::uint32_t at = 0;
    for (const CpRange& range : sorted) {
        if (range.start > range.end || range.end > textLength())
            throw std::invalid_argument("a story range lies outside the document's text");
        append(others, m_pieces.fcIntervals(at, std::max(at, range.start)));
        append(targets, m_pieces.fcIntervals(range.start, range.end));
        at = std::max(at, range.end);
    }
    append(others, m_pieces.fcIntervals(at, end));

    FontTable fonts = m_fontTable;
    const CharacterFormatEdit edit = formatEdit(change, fonts);
    RestylePlan plan = planRestyle(m_runs, std::move(targets), std::move(others),
                                   [&](const auto& grpprl) { return editedGrpprl(grpprl.value_or(""), edit); });
    const BinaryStoryCounts counts{plan.editedRuns, paragraphMarks(sorted)};
    m_runs = std::move(plan.runs);
    m_fontTable = std::move(fonts);
    // Runs whose properties already were the new ones change nothing, so a repeated restyle saves the
    // file as it was.
    m_changed = normalizedRuns(m_runs) != m_originalRuns;
    return counts;
}

WordStreams WordBinaryDocument::streams() const
{
    WordStreams streams{m_wordDocument, m_table, {{0, m_fib}}};
    if (const auto offset = autoTextFibOffset())
        streams.fibs.emplace_back(*offset, Fib::parse(m_wordDocument, *offset));
    return streams;
}

std::string WordBinaryDocument::savedBytes() const
{
    if (!m_changed)
        return m_originalBytes;
    const WordStreams original = streams();
    const RestyleTails tails = findRestyleTails(original);
    const PackedCharacterRuns packed = packCharacterRuns(m_runs, tails.firstPage);
    std::string wordDocument = withTail(m_wordDocument, std::size_t{tails.firstPage} * kPageSize, packed.pages);

    std::vector<std::string> tables = {packed.plcBteChpx};
    const bool writesFontTable = m_fontTable.size() != m_originalFontCount || tails.rewritesFontTable;
    if (writesFontTable)
        tables.push_back(m_fontTable.serialize());
    std::string table = withTail(m_table, tails.tableOffset, tables);
    if (wordDocument.size() > kLargestStream || table.size() > kLargestStream)
        throw EngineError(messages::kTooLarge);

    const auto cbMac = static_cast<std::uint32_t>(wordDocument.size());
    const auto pageCount = static_cast<std::uint32_t>(packed.pages.size());
    const FcLcb binTable{tails.tableOffset, static_cast<std::uint32_t>(packed.plcBteChpx.size())};
    for (const auto& fib : original.fibs) {
        Fib::writePair(wordDocument, fib.first, FibPair::PlcfBteChpx, binTable);
        Fib::writeCbMac(wordDocument, fib.first, cbMac);
        Fib::writeCharacterPages(wordDocument, fib.first, tails.firstPage, pageCount);
    }
    if (writesFontTable) {
        const auto fontTable = static_cast<std::uint32_t>(tables.back().size());
        Fib::writePair(wordDocument, 0, FibPair::SttbfFfn, {binTable.fc + binTable.lcb, fontTable});
    }
    return m_file.withStreams(
        {{kWordDocumentStream, std::move(wordDocument)}, {std::string(m_fib.tableStreamName()), std::move(table)}});
}

} // namespace glyphmere::docengine
