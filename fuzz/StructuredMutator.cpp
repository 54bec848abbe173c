#include "StructuredMutator.h"

#include "CompoundView.h"
#include "WordText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::fuzz {

namespace {

using Random = std::minstd_rand;

std::size_t pick(Random& random, std::size_t count) { return count == 0 ? 0 : random() % count; }

template <typename T, std::size_t N>
T pickOf(Random& random, const std::array<T, N>& values)
{
    return values[pick(random, N)];
}

std::uint32_t get(const std::string& bytes, std::size_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void put(std::string& bytes, std::size_t at, std::uint32_t value, int width)
{
    for (int i = 0; i < width && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A value near the old one, at the edges of its range, or random.
std::uint32_t nearby(Random& random, std::uint32_t old, int width)
{
    const std::uint32_t top = width == 4 ? 0xFFFFFFFF : (1u << (8 * width)) - 1;
    const std::array<std::uint32_t, 8> choices{old - 2, old - 1, old + 1,    old + 2,
                                               0,       top,     old ^ 0x80, static_cast<std::uint32_t>(random())};
    return pickOf(random, choices) & top;
}

// --- zip packages ---------------------------------------------------------------------------------------

struct ZipEntryPlace {
    std::size_t central;
    std::size_t local;
};

std::vector<ZipEntryPlace> zipEntries(const std::string& bytes)
{
    std::vector<ZipEntryPlace> entries;
    const std::size_t end = bytes.rfind("PK\x05\x06");
    if (end == std::string::npos || end + 22 > bytes.size())
        return entries;
    std::size_t at = get(bytes, end + 16, 4);
    for (std::uint32_t n = get(bytes, end + 10, 2); n > 0 && at + 46 <= bytes.size(); --n) {
        if (bytes.compare(at, 4, "PK\x01\x02") != 0)
            break;
        const std::size_t local = get(bytes, at + 42, 4);
        if (local + 30 <= bytes.size())
            entries.push_back({at, local});
        at += 46 + get(bytes, at + 28, 2) + get(bytes, at + 30, 2) + get(bytes, at + 32, 2);
    }
    return entries;
}

// Field offsets in the central directory record, and the same fields in the local header.
struct ZipField {
    std::size_t central, local;
    int width;
};
constexpr std::array<ZipField, 5> kZipFields{{{10, 8, 2}, {16, 14, 4}, {20, 18, 4}, {24, 22, 4}, {46, 30, 1}}};

bool mutateZip(std::string& bytes, Random& random)
{
    const auto entries = zipEntries(bytes);
    if (entries.empty())
        return false;
    const ZipEntryPlace entry = entries[pick(random, entries.size())];
    const ZipField field = kZipFields[pick(random, kZipFields.size())];
    switch (pick(random, 6)) {
    case 0: // the central directory disagrees with the local header
        put(bytes, entry.central + field.central,
            nearby(random, get(bytes, entry.central + field.central, field.width), field.width), field.width);
        return true;
    case 1: // the local header disagrees with the central directory
        put(bytes, entry.local + field.local,
            nearby(random, get(bytes, entry.local + field.local, field.width), field.width), field.width);
        return true;
    case 2: // the local extra field runs on
        put(bytes, entry.local + 28, pickOf(random, std::array<std::uint32_t, 3>{0xFFFF, 0x100, 0x8000}), 2);
        return true;
    case 3: // sizes that promise a 64-bit record
        put(bytes, entry.central + pickOf(random, std::array<std::size_t, 3>{20, 24, 42}), 0xFFFFFFFF, 4);
        return true;
    case 4: { // the compressed data
        const std::size_t data = entry.local + 30 + get(bytes, entry.local + 26, 2) + get(bytes, entry.local + 28, 2);
        const std::size_t size = get(bytes, entry.central + 20, 4);
        if (size == 0 || data + size > bytes.size())
            return false;
        bytes[data + pick(random, size)] ^= static_cast<char>(1u << pick(random, 8));
        return true;
    }
    default: // the archive cut short
        bytes.resize(bytes.size() - 1 - pick(random, std::min<std::size_t>(bytes.size() - 1, 64)));
        return true;
    }
}

// --- markup in a part list --------------------------------------------------------------------------------

// Positions of '<' that open a start tag with at least one attribute.
std::vector<std::size_t> tagsWithAttributes(const std::string& text)
{
    std::vector<std::size_t> tags;
    for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        const std::size_t close = text.find('>', at);
        const std::size_t quote = text.find('"', at);
        if (at + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[at + 1])) && quote < close)
            tags.push_back(at);
    }
    return tags;
}

// Copies the tag's first attribute (or a namespace declaration) right after it.
bool duplicateAttribute(std::string& text, std::size_t tag, bool namespaceDeclaration)
{
    const std::size_t close = text.find('>', tag);
    std::size_t name = text.find(namespaceDeclaration ? " xmlns" : " ", tag);
    if (name == std::string::npos || name > close)
        return false;
    const std::size_t open = text.find('"', name);
    const std::size_t end = open == std::string::npos ? open : text.find('"', open + 1);
    if (end == std::string::npos || end > close)
        return false;
    text.insert(end + 1, text.substr(name, end + 1 - name));
    return true;
}

bool mutateMarkup(std::string& text, Random& random)
{
    const auto tags = tagsWithAttributes(text);
    if (tags.empty())
        return false;
    const std::size_t tag = tags[pick(random, tags.size())];
    const std::size_t close = text.find('>', tag);
    static const std::array<std::string_view, 12> kDamage{"\xED\xA0\x80", std::string_view("\0", 1),
                                                          "&undefined;",  "&#xZZ;",
                                                          "&#0;",         "&#xD800;",
                                                          "& ",           "&lt",
                                                          "\xC0\xAE",     "\x01",
                                                          "]]>",          "\xEF\xBF\xBE"};
    switch (pick(random, 6)) {
    case 0:
        return duplicateAttribute(text, tag, false);
    case 1:
        return duplicateAttribute(text, tag, true);
    case 2: // text or an attribute value with a character or reference XML does not allow
        text.insert(pick(random, 2) ? close + 1 : text.find('"', tag) + 1, pickOf(random, kDamage));
        return true;
    case 3: // a name that XML does not allow
        text[tag + 1] = pickOf(random, std::array<char, 4>{'1', '-', '.', '\xB7'});
        return true;
    case 4: // an attribute without its quotes' partner, or with a '<' in it
        text.insert(text.find('"', tag) + 1, pick(random, 2) ? "<" : "\"");
        return true;
    default: { // a prefix whose declaration is gone
        const std::size_t declaration = text.find(" xmlns:");
        if (declaration == std::string::npos)
            return false;
        text.replace(declaration, 7, " xmlnz:");
        return true;
    }
    }
}

// --- compound files ---------------------------------------------------------------------------------------

// Writes value into the stream at path, byte by byte through the stream's chain.
bool putInStream(std::string& file, const CompoundView& view, std::string_view path, std::size_t at,
                 std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        const auto offset = view.fileOffset(path, at + i);
        if (!offset)
            return false;
        file[*offset] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return true;
}

// FIB fields the engine reads: nFib, flags, csw, cslw, cbMac, ccpText, cbRgFcLcb and fc/lcb pairs (section
// table, header table, bin table, font table, DOP, Clx).
constexpr std::array<std::pair<std::size_t, int>, 16> kFibFields{{{0x02, 2},
                                                                  {0x0A, 2},
                                                                  {0x20, 2},
                                                                  {0x3E, 2},
                                                                  {0x40, 4},
                                                                  {0x4C, 4},
                                                                  {0x98, 2},
                                                                  {0xCA, 4},
                                                                  {0xF2, 4},
                                                                  {0xFA, 4},
                                                                  {0xFE, 4},
                                                                  {0x112, 4},
                                                                  {0x192, 4},
                                                                  {0x196, 4},
                                                                  {0x1A2, 4},
                                                                  {0x1A6, 4}}};

// Offsets inside the table stream of the structure the FIB pair at pairAt names.
std::optional<std::pair<std::uint32_t, std::uint32_t>> structureOf(const std::string& wordDocument, std::size_t pairAt)
{
    if (wordDocument.size() < pairAt + 8)
        return std::nullopt;
    return std::make_pair(get(wordDocument, pairAt, 4), get(wordDocument, pairAt + 4, 4));
}

// A piece's text placed somewhere the engine must not take for text: inside the FIB, or anywhere.
bool mutatePiece(std::string& file, const CompoundView& view, const std::string& table, const std::string& tableName,
                 const std::string& wordDocument, Random& random)
{
    const auto clx = structureOf(wordDocument, 0x1A2);
    if (!clx || clx->second < 17 || clx->first >= table.size() || clx->second > table.size() - clx->first ||
        table[clx->first] != 2)
        return false;
    const std::size_t count = (clx->second - 5 - 4) / 12;
    const std::size_t descriptor = clx->first + 5 + (count + 1) * 4 + pick(random, count) * 8;
    const bool compressed = pick(random, 2);
    const std::uint32_t place =
        pickOf(random, std::array<std::uint32_t, 4>{0x80, 0x44, 0x9A, static_cast<std::uint32_t>(random() & 0x3FFF)});
    const std::uint32_t fc = compressed ? (place * 2) | 0x40000000 : place;
    if (pick(random, 4) == 0) // a position instead
        return putInStream(file, view, tableName, clx->first + 5 + pick(random, count + 1) * 4,
                           nearby(random, get(table, clx->first + 5, 4), 4), 4);
    return putInStream(file, view, tableName, descriptor + 2, fc, 4);
}

// A byte of a table-stream structure (bin table, font table) or of a character property page.
bool mutateTableStructure(std::string& file, const CompoundView& view, const std::string& table,
                          const std::string& tableName, const std::string& wordDocument, Random& random)
{
    const std::size_t pairAt = pickOf(random, std::array<std::size_t, 3>{0xFA, 0x112, 0xFA});
    const auto structure = structureOf(wordDocument, pairAt);
    if (!structure || structure->second == 0 || structure->first >= table.size() ||
        structure->second > table.size() - structure->first)
        return false;
    const std::size_t at = structure->first + pick(random, structure->second);
    if (pick(random, 3) == 0 && pairAt == 0xFA && structure->second >= 12) { // a character property page
        const std::uint32_t page = get(table, structure->first + structure->second - 4, 4) & 0x3FFFFF;
        return putInStream(file, view, "WordDocument", page * 512 + pick(random, 512), random(), 1);
    }
    return putInStream(file, view, tableName, at, nearby(random, at < table.size() ? table[at] : 0, 1), 1);
}

// The container: header fields, FAT and mini FAT entries, directory entry fields, or its length.
bool mutateContainer(std::string& file, const CompoundView& view, Random& random)
{
    const std::size_t sector = view.sectorSize();
    switch (pick(random, 5)) {
    case 0: { // the file cut short by whole sectors
        const std::size_t cut = (1 + pick(random, 4)) * sector;
        if (file.size() <= cut + 512)
            return false;
        file.resize(file.size() - cut);
        return true;
    }
    case 1: {
        const std::size_t at = pickOf(random, std::array<std::size_t, 7>{0x2C, 0x30, 0x3C, 0x40, 0x44, 0x48, 0x4C});
        put(file, at, nearby(random, get(file, at, 4), 4), 4);
        return true;
    }
    case 2:
    case 3: {
        const auto& sectors = pick(random, 2) ? view.fatSectors() : view.miniFatSectors();
        if (sectors.empty())
            return false;
        const std::size_t at =
            (std::size_t{sectors[pick(random, sectors.size())]} + 1) * sector + pick(random, sector / 4) * 4;
        if (at + 4 > file.size())
            return false;
        const std::uint32_t old = get(file, at, 4);
        put(file, at,
            pickOf(random, std::array<std::uint32_t, 5>{0xFFFFFFFE, 0xFFFFFFFF, old + 1, old - 1,
                                                        static_cast<std::uint32_t>(view.sectorCount())}),
            4);
        return true;
    }
    default: {
        const auto entries = view.entryOffsets();
        const std::size_t at = entries[pick(random, entries.size())] +
                               pickOf(random, std::array<std::size_t, 5>{0x74, 0x78, 0x44, 0x48, 0x4C});
        put(file, at, nearby(random, get(file, at, 4), 4), 4);
        return true;
    }
    }
}

bool mutateCompound(std::string& file, Random& random)
{
    const CompoundView view(file);
    const auto wordDocument = view.readStream("WordDocument").bytes;
    if (!view.containerProblem().empty() || !wordDocument)
        return false;
    const auto tableName = tableStreamName(*wordDocument);
    const auto table = tableName ? view.readStream(*tableName).bytes : std::nullopt;
    switch (pick(random, 4)) {
    case 0: {
        const auto [at, width] = kFibFields[pick(random, kFibFields.size())];
        return at + width <= wordDocument->size() &&
               putInStream(file, view, "WordDocument", at, nearby(random, get(*wordDocument, at, width), width), width);
    }
    case 1:
        return table && mutatePiece(file, view, *table, *tableName, *wordDocument, random);
    case 2:
        return table && mutateTableStructure(file, view, *table, *tableName, *wordDocument, random);
    default:
        return mutateContainer(file, view, random);
    }
}

} // namespace

std::size_t mutateStructure(std::uint8_t* data, std::size_t size, std::size_t maxSize, Random& random)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bool changed = false;
    if (bytes.starts_with("PK"))
        changed = mutateZip(bytes, random);
    else if (bytes.starts_with("\xD0\xCF\x11\xE0"))
        changed = mutateCompound(bytes, random);
    else
        changed = mutateMarkup(bytes, random);
    if (!changed || bytes.size() > maxSize)
        return 0;
    std::memcpy(data, bytes.data(), bytes.size());
    return bytes.size();
}

} // namespace glyphmere::fuzz
