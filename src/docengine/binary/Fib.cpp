#include "docengine/binary/Fib.h"

#include "docengine/binary/BinaryFields.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

namespace glyphmere::docengine {

namespace {

constexpr const char* kWhat = "the file information block";
constexpr std::uint16_t kWordSignature = 0xA5EC;
constexpr std::uint16_t kFirstWord97Version = 0x006A;
constexpr std::uint16_t kShortCount = 0x000E;
constexpr std::uint16_t kLongCount = 0x0016;
constexpr std::uint16_t kWord97PairCount = 0x5D;
constexpr std::size_t kFlagsOffset = 0x0A;
constexpr std::size_t kPairCountOffset = 0x98;
constexpr std::size_t kPairsOffset = 0x9A;
constexpr std::size_t kCbMacOffset = 0x40;
constexpr std::size_t kPartLengthsOffset = 0x4C;
constexpr std::size_t kFirstCharacterPageOffset = 0x70;
constexpr std::size_t kCharacterPageCountOffset = 0x74;

// Signatures of the FIBs of Word 1, Word 2 and LibreOffice's Word 6 export.
bool isOlderWordSignature(std::uint16_t signature)
{
    return signature == 0xA59B || signature == 0xA59C || signature == 0xA5DB || signature == 0xA5DC;
}

std::uint32_t partLength(std::string_view bytes, std::size_t offset)
{
    const std::uint32_t value = fieldU32(bytes, offset, kWhat);
    if (value > 0x7FFFFFFF)
        refuseDamaged("the file information block gives a negative text length");
    return value;
}

PartLengths readPartLengths(std::string_view fib)
{
    PartLengths parts;
    std::uint32_t* fields[] = {&parts.text,     &parts.footnotes, &parts.headers,   &parts.macros,
                               &parts.comments, &parts.endnotes,  &parts.textBoxes, &parts.headerTextBoxes};
    std::size_t offset = kPartLengthsOffset;
    for (std::uint32_t* field : fields) {
        *field = partLength(fib, offset);
        offset += 4;
    }
    return parts;
}

} // namespace

std::uint64_t PartLengths::total() const
{
    return std::uint64_t{text} + footnotes + headers + macros + comments + endnotes + textBoxes + headerTextBoxes;
}

namespace {

// A FIB of Word 6/95 or older: an older signature, or a version before Word 97 with a layout that is not
// Word 97's (its words at 0x20 and 0x3E hold other fields). A Word 97 layout that claims an older version, or
// a newer version whose counts are wrong, is a damaged FIB, not an old one.
void refuseOlderOrDamagedLayout(std::string_view fib)
{
    const std::uint16_t signature = fieldU16(fib, 0, kWhat);
    const std::uint16_t version = fieldU16(fib, 2, kWhat);
    if (isOlderWordSignature(signature))
        throw EngineError(messages::kOldWordVersion);
    if (signature != kWordSignature)
        refuseDamaged("the WordDocument stream does not start with a file information block");
    const bool word97Counts = fieldU16(fib, 0x20, kWhat) == kShortCount && fieldU16(fib, 0x3E, kWhat) == kLongCount;
    if (version < kFirstWord97Version && !word97Counts)
        throw EngineError(messages::kOldWordVersion);
    if (version < kFirstWord97Version)
        refuseDamaged("the file information block has Word 97's layout but gives the version " +
                      std::to_string(version) + " of an older Word");
    if (!word97Counts)
        refuseDamaged("the file information block's counts of its fields are wrong");
    if (!(fieldU16(fib, kFlagsOffset, kWhat) & 0x1000))
        refuseDamaged("the file information block lacks the flag every Word 97 document has");
}

} // namespace

Fib Fib::parse(std::string_view wordDocument, std::size_t offset)
{
    if (offset > wordDocument.size())
        refuseDamaged("the AutoText document's file information block lies outside the WordDocument stream");
    const std::string_view fib = wordDocument.substr(offset);
    refuseOlderOrDamagedLayout(fib);
    const std::uint16_t flags = fieldU16(fib, kFlagsOffset, kWhat);

    Fib result;
    result.isTemplate = flags & 0x0001;
    result.isAutoTextOnly = flags & 0x0002;
    result.isEncrypted = flags & 0x0100;
    result.usesTable1 = flags & 0x0200;
    result.glossaryPage = fieldU16(fib, 0x08, kWhat);
    if (result.isEncrypted)
        throw EngineError(messages::kPasswordProtected);

    const std::uint16_t pairCount = fieldU16(fib, kPairCountOffset, kWhat);
    if (pairCount < kWord97PairCount)
        refuseDamaged("the file information block has fewer fields than Word 97's");
    result.m_pairs = std::string(fieldSlice(fib, kPairsOffset, std::size_t{pairCount} * 8, kWhat));
    const std::size_t newCountsOffset = kPairsOffset + std::size_t{pairCount} * 8;
    const std::uint16_t newCounts = fieldU16(fib, newCountsOffset, kWhat);
    fieldSlice(fib, newCountsOffset + 2, std::size_t{newCounts} * 2, kWhat);
    result.byteLength = newCountsOffset + 2 + std::size_t{newCounts} * 2;

    result.cbMac = fieldU32(fib, kCbMacOffset, kWhat);
    result.parts = readPartLengths(fib);
    if (result.parts.total() >= 0x7FFFFFFF)
        refuseDamaged("the file information block gives more text than a document can hold");
    return result;
}

std::uint64_t PartLengths::cpCount() const { return total() > text ? total() + 1 : total(); }

std::vector<FcLcb> Fib::pairs() const
{
    std::vector<FcLcb> all;
    for (std::size_t offset = 0; offset + 8 <= m_pairs.size(); offset += 8)
        all.push_back({fieldU32(m_pairs, offset, kWhat), fieldU32(m_pairs, offset + 4, kWhat)});
    return all;
}

FcLcb Fib::pair(FibPair which) const
{
    const std::size_t offset = static_cast<std::size_t>(which) * 8;
    return {fieldU32(m_pairs, offset, kWhat), fieldU32(m_pairs, offset + 4, kWhat)};
}

void Fib::writePair(std::string& wordDocument, std::size_t offset, FibPair which, FcLcb value)
{
    const std::size_t at = offset + kPairsOffset + static_cast<std::size_t>(which) * 8;
    putFieldU32(wordDocument, at, value.fc);
    putFieldU32(wordDocument, at + 4, value.lcb);
}

void Fib::writeCbMac(std::string& wordDocument, std::size_t offset, std::uint32_t cbMac)
{
    putFieldU32(wordDocument, offset + kCbMacOffset, cbMac);
}

void Fib::writeCharacterPages(std::string& wordDocument, std::size_t offset, std::uint32_t firstPage,
                              std::uint32_t pageCount)
{
    putFieldU32(wordDocument, offset + kFirstCharacterPageOffset, firstPage);
    putFieldU32(wordDocument, offset + kCharacterPageCountOffset, pageCount);
}

} // namespace glyphmere::docengine
