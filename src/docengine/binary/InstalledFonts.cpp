#include "docengine/binary/InstalledFonts.h"

#include "common/FileHandle.h"
#include "common/SystemErrorText.h"
#include "docengine/fonts/SystemFonts.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace glyphmere::docengine {

using common::FileHandle;
namespace {

// FFID: pitch in bits 0-1, TrueType in bit 2, family kind in bits 4-6.
constexpr std::uint8_t kFixedPitch = 1;
constexpr std::uint8_t kVariablePitch = 2;
constexpr std::uint8_t kTrueType = 0x04;
enum FamilyKind : std::uint8_t { kUnspecified = 0, kRoman = 1, kSwiss = 2, kModern = 3, kScript = 4, kDecorative = 5 };

constexpr std::uint8_t kSymbolCharset = 2;
constexpr std::uint32_t kSymbolCodePage = 0x80000000; // OS/2 ulCodePageRange1 bit 31
constexpr std::uint16_t kMaxWeight = 1000;

FamilyKind kindFromPanose(const std::array<std::uint8_t, 10>& panose)
{
    enum : std::uint8_t { kLatinText = 2, kLatinHandWritten = 3, kLatinDecorative = 4, kLatinSymbol = 5 };
    constexpr std::uint8_t kMonospaced = 9;      // proportion (byte 3)
    constexpr std::uint8_t kFirstSerif = 2;      // serif style (byte 1): 0 and 1 are "any" and "no fit"
    constexpr std::uint8_t kFirstSansSerif = 11; // serif styles from "normal sans" to "rounded"
    switch (panose[0]) {
    case kLatinText:
        if (panose[3] == kMonospaced)
            return kModern;
        if (panose[1] >= kFirstSansSerif)
            return kSwiss;
        return panose[1] >= kFirstSerif ? kRoman : kUnspecified;
    case kLatinHandWritten:
        return kScript;
    case kLatinDecorative:
    case kLatinSymbol:
        return kDecorative;
    default:
        return kUnspecified;
    }
}

// Fixed-pitch fonts are "modern" for Word; otherwise the IBM family class decides, then PANOSE.
FamilyKind familyKind(const SfntFace& face)
{
    if (face.fixedPitch)
        return kModern;
    switch (face.familyClass >> 8) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 7: // serif classes
        return kRoman;
    case 8:
        return kSwiss;
    case 9:  // ornamentals
    case 12: // symbolic
        return kDecorative;
    case 10:
        return kScript;
    default:
        return kindFromPanose(face.panose);
    }
}

// Reads from the font file with every range checked against its size.
FontFileReader fileReader(const std::shared_ptr<FileHandle>& file, std::uint64_t fileSize)
{
    return [file, fileSize](std::uint64_t offset, std::size_t length) -> std::optional<std::string> {
        if (offset > fileSize || length > fileSize - offset)
            return std::nullopt;
        std::string bytes(length, '\0');
        if (file->readAt(offset, bytes.data(), length).count != length)
            return std::nullopt;
        return bytes;
    };
}

// Opened without blocking, so a path that names a FIFO cannot hang the lookup.
std::optional<SfntFace> faceInFile(const std::string& path, std::uint32_t faceIndex)
{
    try {
        auto file = std::make_shared<FileHandle>(FileHandle::openForReading(path));
        const common::FileStatus status = file->status();
        if (!status.regular)
            return std::nullopt;
        return readSfntFace(fileReader(file, status.size), faceIndex);
    } catch (const common::SystemError&) {
        return std::nullopt; // described from what the system knows of the face instead
    }
}

// A face the system knows but whose tables cannot be read (not an sfnt): its weight and pitch.
FontDescription describedWithoutTables(const InstalledFace& installed)
{
    FontDescription description = plainFontDescription(installed.family);
    description.ffid = installed.fixedPitch ? (kFixedPitch | kModern << 4) : kVariablePitch;
    if (installed.weight)
        description.weight = *installed.weight;
    return description;
}

FontDescription describeInstalled(const std::string& family)
{
    const std::optional<InstalledFace> installed = findInstalledFace(family);
    if (!installed)
        return plainFontDescription(family);
    const std::optional<SfntFace> face =
        installed->filePath.empty() ? std::nullopt : faceInFile(installed->filePath, installed->faceIndex);
    return face ? describedFace(*face, installed->family) : describedWithoutTables(*installed);
}

class SystemFontDescriber final : public FontDescriber {
public:
    FontDescription describe(const std::string& family) const override
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_described.find(family);
        if (known != m_described.end())
            return known->second;
        FontDescription description = describeInstalled(family);
        m_described.emplace(family, description);
        return description;
    }

private:
    mutable std::mutex m_mutex;
    mutable std::map<std::string, FontDescription> m_described;
};

} // namespace

const FontDescriber& installedFonts()
{
    static const SystemFontDescriber describer;
    return describer;
}

FontDescription plainFontDescription(std::string name)
{
    FontDescription description;
    description.ffid = kVariablePitch | kTrueType;
    description.name = std::move(name);
    return description;
}

FontDescription describedFace(const SfntFace& face, std::string name)
{
    FontDescription description;
    description.ffid = static_cast<std::uint8_t>((face.fixedPitch ? kFixedPitch : kVariablePitch) |
                                                 (face.trueTypeOutlines ? kTrueType : 0) | familyKind(face) << 4);
    description.weight = std::min(face.weightClass, kMaxWeight);
    description.charset = (face.codePageRanges[0] & kSymbolCodePage) != 0 ? kSymbolCharset : 0;
    description.panose = face.panose;
    std::copy(face.unicodeRanges.begin(), face.unicodeRanges.end(), description.signature.begin());
    std::copy(face.codePageRanges.begin(), face.codePageRanges.end(), description.signature.begin() + 4);
    description.name = std::move(name);
    return description;
}

} // namespace glyphmere::docengine
