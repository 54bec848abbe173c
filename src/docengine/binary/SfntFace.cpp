#include "docengine/binary/SfntFace.h"

#include <algorithm>
#include <string_view>

namespace glyphmere::docengine {
namespace {

constexpr std::uint32_t tag(const char (&name)[5])
{
    return static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
           static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3]);
}

constexpr std::size_t kOs2UnicodeRangesEnd = 58;  // the shortest (Apple's version 0) tables end here
constexpr std::size_t kOs2CodePageRangesEnd = 86; // version 1 and later
constexpr std::size_t kPostFixedPitchEnd = 16;

// sfnt tables are big-endian.
std::uint32_t bigEndian(std::string_view bytes, std::size_t offset, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

std::uint16_t be16(std::string_view bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bigEndian(bytes, offset, 2));
}

std::uint32_t be32(std::string_view bytes, std::size_t offset) { return bigEndian(bytes, offset, 4); }

// Where the face's offset table starts in the file.
std::optional<std::uint64_t> faceStart(const FontFileReader& read, std::uint32_t faceIndex)
{
    const std::optional<std::string> header = read(0, 12);
    if (!header)
        return std::nullopt;
    if (be32(*header, 0) != tag("ttcf"))
        return faceIndex == 0 ? std::optional<std::uint64_t>(0) : std::nullopt;
    if (faceIndex >= be32(*header, 8))
        return std::nullopt;
    const std::optional<std::string> entry = read(12 + 4 * std::uint64_t{faceIndex}, 4);
    return entry ? std::optional<std::uint64_t>(be32(*entry, 0)) : std::nullopt;
}

struct TableDirectory {
    std::string records; // 16 bytes each: tag, checksum, offset, length

    // Where the table's record starts in records.
    std::optional<std::size_t> recordOf(std::uint32_t wanted) const
    {
        for (std::size_t offset = 0; offset < records.size(); offset += 16) {
            if (be32(records, offset) == wanted)
                return offset;
        }
        return std::nullopt;
    }

    // The table's bytes, at most maxLength of them; nullopt when it is missing or shorter than minLength.
    std::optional<std::string> read(const FontFileReader& reader, std::uint32_t wanted, std::size_t minLength,
                                    std::size_t maxLength) const
    {
        const std::optional<std::size_t> record = recordOf(wanted);
        if (!record || be32(records, *record + 12) < minLength)
            return std::nullopt;
        return reader(be32(records, *record + 8), std::min<std::size_t>(be32(records, *record + 12), maxLength));
    }
};

std::optional<TableDirectory> tableDirectory(const FontFileReader& read, std::uint64_t start)
{
    const std::optional<std::string> header = read(start, 12);
    if (!header)
        return std::nullopt;
    const std::uint32_t version = be32(*header, 0);
    if (version != 0x00010000 && version != tag("OTTO") && version != tag("true"))
        return std::nullopt;
    std::optional<std::string> records = read(start + 12, 16 * std::size_t{be16(*header, 4)});
    if (!records)
        return std::nullopt;
    return TableDirectory{std::move(*records)};
}

void readOs2(std::string_view os2, SfntFace& face)
{
    face.weightClass = be16(os2, 4);
    face.familyClass = be16(os2, 30);
    for (std::size_t i = 0; i < face.panose.size(); ++i)
        face.panose[i] = static_cast<std::uint8_t>(os2[32 + i]);
    for (std::size_t i = 0; i < face.unicodeRanges.size(); ++i)
        face.unicodeRanges[i] = be32(os2, 42 + 4 * i);
    if (be16(os2, 0) >= 1 && os2.size() >= kOs2CodePageRangesEnd) {
        face.codePageRanges[0] = be32(os2, 78);
        face.codePageRanges[1] = be32(os2, 82);
    }
}

} // namespace

std::optional<SfntFace> readSfntFace(const FontFileReader& read, std::uint32_t faceIndex)
{
    const std::optional<std::uint64_t> start = faceStart(read, faceIndex);
    const std::optional<TableDirectory> directory = start ? tableDirectory(read, *start) : std::nullopt;
    if (!directory)
        return std::nullopt;
    const std::optional<std::string> os2 =
        directory->read(read, tag("OS/2"), kOs2UnicodeRangesEnd, kOs2CodePageRangesEnd);
    const std::optional<std::string> post = directory->read(read, tag("post"), kPostFixedPitchEnd, kPostFixedPitchEnd);
    if (!os2 || !post)
        return std::nullopt;
    SfntFace face;
    readOs2(*os2, face);
    face.fixedPitch = be32(*post, 12) != 0;
    face.trueTypeOutlines = directory->recordOf(tag("glyf")).has_value();
    return face;
}

} // namespace glyphmere::docengine
