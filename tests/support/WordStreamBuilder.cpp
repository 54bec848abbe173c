#include "support/WordStreamBuilder.h"

#include "common/LittleEndian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace glyphmere::testing_support {

namespace {

constexpr std::size_t kTextStart = 0x400;
constexpr std::size_t kPageSize = 512;
constexpr std::size_t kPairCount = 0x5D;

enum Pair : std::size_t { Sed = 6, Hdd = 11, BteChpx = 12, Ffn = 15, Dop = 31, Clx = 33 };

using common::appendLe16;
using common::appendLe32;

void padTo(std::string& bytes, std::size_t multiple)
{
    bytes.resize((bytes.size() + multiple - 1) / multiple * multiple, '\0');
}

struct StoredPiece {
    std::uint32_t cpStart, cpEnd, fc;
    WordTestPiece spec;
};

struct FcRun {
    std::uint32_t fcStart, fcEnd;
    std::string grpprl;
};

std::u16string fullText(const WordTestDocument& d)
{
    std::u16string text =
        d.mainText + d.footnotes + d.headers + d.comments + d.endnotes + d.textBoxes + d.headerTextBoxes;
    if (text.size() > d.mainText.size())
        text += u'\r';
    return text;
}

std::vector<StoredPiece> storeText(const WordTestDocument& d, const std::u16string& text, std::string& stream)
{
    std::vector<WordTestPiece> specs = d.pieces;
    if (specs.empty())
        specs.push_back({static_cast<std::uint32_t>(text.size()), true, 0});
    if (specs.back().cpEnd != text.size())
        throw std::logic_error("the test pieces must end where the text ends");
    std::vector<StoredPiece> pieces;
    std::uint32_t cp = 0;
    for (const WordTestPiece& spec : specs) {
        pieces.push_back({cp, spec.cpEnd, 0, spec});
        cp = spec.cpEnd;
    }
    std::vector<std::size_t> order(pieces.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = d.piecesStoredBackwards ? order.size() - 1 - i : i;
    for (std::size_t index : order) {
        StoredPiece& piece = pieces[index];
        if (!piece.spec.compressed)
            padTo(stream, 2);
        piece.fc = static_cast<std::uint32_t>(stream.size());
        for (std::uint32_t at = piece.cpStart; at < piece.cpEnd; ++at) {
            if (piece.spec.compressed)
                stream.push_back(static_cast<char>(text[at]));
            else
                appendLe16(stream, text[at]);
        }
    }
    return pieces;
}

// Runs in stream order: characters next to each other in the stream that share a test run form one run.
std::vector<FcRun> storedRuns(const WordTestDocument& d, std::vector<StoredPiece> pieces)
{
    std::sort(pieces.begin(), pieces.end(), [](auto& a, auto& b) { return a.fc < b.fc; });
    std::vector<FcRun> runs;
    std::optional<std::size_t> previousRun;
    for (const StoredPiece& piece : pieces) {
        const std::uint32_t width = piece.spec.compressed ? 1 : 2;
        for (std::uint32_t cp = piece.cpStart; cp < piece.cpEnd; ++cp) {
            std::optional<std::size_t> run;
            for (std::size_t i = 0; i < d.runs.size(); ++i) {
                if (d.runs[i].cpStart <= cp && cp < d.runs[i].cpEnd)
                    run = i;
            }
            const std::uint32_t fc = piece.fc + (cp - piece.cpStart) * width;
            if (run || d.coverEveryCharacter) {
                if (!runs.empty() && runs.back().fcEnd == fc && run == previousRun)
                    runs.back().fcEnd = fc + width;
                else
                    runs.push_back({fc, fc + width, run ? d.runs[*run].grpprl : std::string()});
            }
            previousRun = run;
        }
    }
    return runs;
}

std::string characterPage(const std::vector<FcRun>& runs)
{
    std::string page(kPageSize, '\0');
    const std::size_t count = runs.size();
    std::size_t propertiesAt = kPageSize - 1;
    for (std::size_t i = 0; i < count; ++i) {
        std::string fc;
        appendLe32(fc, runs[i].fcStart);
        page.replace(i * 4, 4, fc);
        if (runs[i].grpprl.empty())
            continue;
        propertiesAt = (propertiesAt - 1 - runs[i].grpprl.size()) & ~std::size_t{1};
        page[propertiesAt] = static_cast<char>(runs[i].grpprl.size());
        page.replace(propertiesAt + 1, runs[i].grpprl.size(), runs[i].grpprl);
        page[(count + 1) * 4 + i] = static_cast<char>(propertiesAt / 2);
    }
    std::string last;
    appendLe32(last, runs.back().fcEnd);
    page.replace(count * 4, 4, last);
    page[kPageSize - 1] = static_cast<char>(count);
    return page;
}

// Pages of at most ten runs each, a new page wherever the runs leave a gap; returns the bin table.
std::string storeCharacterPages(const std::vector<FcRun>& runs, std::string& stream)
{
    std::vector<std::vector<FcRun>> pages;
    for (const FcRun& run : runs) {
        const bool gap = !pages.empty() && pages.back().back().fcEnd != run.fcStart;
        if (pages.empty() || gap || pages.back().size() == 10)
            pages.emplace_back();
        pages.back().push_back(run);
    }
    padTo(stream, kPageSize);
    std::string fcs, pns;
    for (const auto& page : pages) {
        appendLe32(fcs, page.front().fcStart);
        appendLe32(pns, static_cast<std::uint32_t>(stream.size() / kPageSize));
        stream += characterPage(page);
    }
    appendLe32(fcs, pages.back().back().fcEnd);
    return fcs + pns;
}

std::string fontTable(const std::vector<std::string>& names)
{
    std::string table;
    appendLe16(table, static_cast<std::uint16_t>(names.size()));
    appendLe16(table, 0);
    for (const std::string& name : names) {
        std::string ffn(39, '\0');
        ffn[0] = 0x16; // variable pitch, TrueType, Roman
        ffn[1] = static_cast<char>(400 & 0xFF);
        ffn[2] = static_cast<char>(400 >> 8);
        for (char c : name)
            appendLe16(ffn, static_cast<unsigned char>(c));
        appendLe16(ffn, 0);
        table.push_back(static_cast<char>(ffn.size()));
        table += ffn;
    }
    return table;
}

std::string clx(const WordTestDocument& d, const std::vector<StoredPiece>& pieces)
{
    std::string result;
    for (const std::string& list : d.pieceProperties) {
        result.push_back(0x01);
        appendLe16(result, static_cast<std::uint16_t>(list.size()));
        result += list;
    }
    std::string plc;
    for (const StoredPiece& piece : pieces)
        appendLe32(plc, piece.cpStart);
    appendLe32(plc, pieces.back().cpEnd);
    for (const StoredPiece& piece : pieces) {
        appendLe16(plc, 0);
        appendLe32(plc, piece.spec.compressed ? (piece.fc * 2) | 0x40000000 : piece.fc);
        appendLe16(plc, piece.spec.prm);
    }
    result.push_back(0x02);
    appendLe32(result, static_cast<std::uint32_t>(plc.size()));
    return result + plc;
}

class FibWriter {
public:
    explicit FibWriter(std::string& stream) : m_stream(stream) {}
    void pair(std::size_t index, std::size_t fc, std::size_t lcb)
    {
        patchU32(m_stream, fibPairOffset(index), static_cast<std::uint32_t>(fc));
        patchU32(m_stream, fibPairOffset(index) + 4, static_cast<std::uint32_t>(lcb));
    }
    // Appends `bytes` to the table stream and points the pair at them.
    void table(std::string& tableStream, std::size_t index, const std::string& bytes)
    {
        pair(index, tableStream.size(), bytes.size());
        tableStream += bytes;
    }

private:
    std::string& m_stream;
};

void writeFibBase(const WordTestDocument& d, std::string& stream)
{
    patchU16(stream, 0x00, 0xA5EC);
    patchU16(stream, 0x02, d.nFib);
    patchU16(stream, kFibFlags, d.fibFlags | (d.autoTextDocument ? 0x0001 : 0));
    patchU16(stream, 0x0C, 0x00BF);
    patchU16(stream, 0x20, 0x000E);
    patchU16(stream, 0x3E, 0x0016);
    const std::uint32_t lengths[] = {
        static_cast<std::uint32_t>(d.mainText.size()),  static_cast<std::uint32_t>(d.footnotes.size()),
        static_cast<std::uint32_t>(d.headers.size()),   0,
        static_cast<std::uint32_t>(d.comments.size()),  static_cast<std::uint32_t>(d.endnotes.size()),
        static_cast<std::uint32_t>(d.textBoxes.size()), static_cast<std::uint32_t>(d.headerTextBoxes.size())};
    for (std::size_t i = 0; i < std::size(lengths); ++i)
        patchU32(stream, 0x4C + i * 4, lengths[i]);
    patchU16(stream, 0x98, kPairCount);
}

std::string sectionTable(const WordTestDocument& d, std::string& stream)
{
    padTo(stream, 2);
    const auto sepxAt = static_cast<std::uint32_t>(stream.size());
    appendLe16(stream, static_cast<std::uint16_t>(d.firstSectionProperties.size()));
    stream += d.firstSectionProperties;
    std::string plc;
    appendLe32(plc, 0);
    appendLe32(plc, static_cast<std::uint32_t>(d.mainText.size()));
    appendLe16(plc, 0);
    appendLe32(plc, sepxAt);
    appendLe16(plc, 0);
    appendLe32(plc, 0xFFFFFFFF);
    return plc;
}

} // namespace

WordTestStreams buildWordStreams(const WordTestDocument& d)
{
    WordTestStreams streams;
    std::string& stream = streams.wordDocument;
    stream.assign(kTextStart, '\0');
    writeFibBase(d, stream);
    const std::u16string text = fullText(d);
    const std::vector<StoredPiece> pieces = storeText(d, text, stream);
    const std::string plcSed = sectionTable(d, stream);
    const std::string binTable = storeCharacterPages(storedRuns(d, pieces), stream);

    FibWriter fib(stream);
    std::string& table = streams.table;
    table.assign(8, '\0'); // where a style sheet would start
    fib.table(table, Clx, clx(d, pieces));
    fib.table(table, BteChpx, binTable);
    fib.table(table, Ffn, fontTable(d.fonts));
    fib.table(table, Dop, d.dop);
    fib.table(table, Sed, plcSed);
    if (!d.headers.empty()) {
        std::string plc;
        for (std::uint32_t position : d.headerStoryStarts)
            appendLe32(plc, position);
        appendLe32(plc, d.headerStoryStarts.empty() ? 0 : d.headerStoryStarts.back() + 1);
        fib.table(table, Hdd, plc);
    }
    std::optional<std::size_t> glossaryAt;
    if (d.autoTextDocument) {
        padTo(stream, kPageSize);
        glossaryAt = stream.size();
        patchU16(stream, 0x08, static_cast<std::uint16_t>(*glossaryAt / kPageSize));
        stream += stream.substr(0, kTextStart);
        patchU16(stream, *glossaryAt + kFibFlags, 0x1000 | 0x0200 | 0x0002);
        patchU16(stream, *glossaryAt + 0x08, 0);
    }
    const auto size = static_cast<std::uint32_t>(stream.size());
    patchU32(stream, 0x40, size);
    if (glossaryAt)
        patchU32(stream, *glossaryAt + 0x40, size);
    return streams;
}

void patchU16(std::string& bytes, std::size_t offset, std::uint16_t value)
{
    bytes.at(offset + 1);
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void patchU32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    patchU16(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    patchU16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string prl(std::uint16_t sprm, const std::string& operand)
{
    std::string bytes;
    appendLe16(bytes, sprm);
    return bytes + operand;
}

std::string prl16(std::uint16_t sprm, std::uint16_t value)
{
    std::string operand;
    appendLe16(operand, value);
    return prl(sprm, operand);
}

} // namespace glyphmere::testing_support
