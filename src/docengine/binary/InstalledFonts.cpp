#include "docengine/binary/InstalledFonts.h"

#include "common/FileRange.h"
#include "common/UniqueFd.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace glyphmere::docengine {

using common::UniqueFd;
namespace {

// FFID: pitch in bits 0-1, TrueType in bit 2, family kind in bits 4-6.
constexpr std::uint8_t kFixedPitch = 1;
constexpr std::uint8_t kVariablePitch = 2;
constexpr std::uint8_t kTrueType = 0x04;
enum FamilyKind : std::uint8_t { kUnspecified = 0, kRoman = 1, kSwiss = 2, kModern = 3, kScript = 4, kDecorative = 5 };

constexpr std::uint8_t kSymbolCharset = 2;
constexpr std::uint32_t kSymbolCodePage = 0x80000000; // OS/2 ulCodePageRange1 bit 31
constexpr std::uint16_t kMaxWeight = 1000;

using ConfigPtr = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;
using PatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

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
FontFileReader fileReader(const std::shared_ptr<UniqueFd>& file, std::uint64_t fileSize)
{
    return [file, fileSize](std::uint64_t offset, std::size_t length) -> std::optional<std::string> {
        if (offset > fileSize || length > fileSize - offset)
            return std::nullopt;
        std::string bytes(length, '\0');
        if (common::readFileRange(file->get(), offset, bytes.data(), length).count != length)
            return std::nullopt;
        return bytes;
    };
}

// Opened without blocking, so a path that names a FIFO cannot hang the lookup.
std::optional<SfntFace> faceInFile(const char* path, std::uint32_t faceIndex)
{
    auto file = std::make_shared<UniqueFd>(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!file->valid() || ::fstat(file->get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return readSfntFace(fileReader(file, static_cast<std::uint64_t>(status.st_size)), faceIndex);
}

// The matched font's family name that equals family without regard to case; nullptr when fontconfig
// offered another family as a substitute.
const char* installedFamily(FcPattern* font, const std::string& family)
{
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
            return reinterpret_cast<const char*>(name);
    }
    return nullptr;
}

// A face fontconfig knows but whose tables cannot be read (not an sfnt): its weight and pitch.
FontDescription describedFromPattern(FcPattern* font, std::string name)
{
    FontDescription description = plainFontDescription(std::move(name));
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
    const bool fixed = spacing == FC_MONO || spacing == FC_CHARCELL;
    description.ffid = fixed ? (kFixedPitch | kModern << 4) : kVariablePitch;
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch)
        description.weight = static_cast<std::uint16_t>(std::clamp(FcWeightToOpenType(weight), 0, 1000));
    return description;
}

FontDescription describeWithConfig(FcConfig* config, const std::string& family)
{
    PatternPtr pattern(FcPatternCreate(), FcPatternDestroy);
    if (!pattern || !FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str())))
        return plainFontDescription(family);
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const PatternPtr font(FcFontMatch(config, pattern.get(), &result), FcPatternDestroy);
    const char* name = font ? installedFamily(font.get(), family) : nullptr;
    if (!name)
        return plainFontDescription(family);
    FcChar8* path = nullptr;
    int index = 0;
    FcPatternGetInteger(font.get(), FC_INDEX, 0, &index);
    // The low 16 bits of the index are the face in a collection; the high ones name a variable instance.
    const std::optional<SfntFace> face =
        FcPatternGetString(font.get(), FC_FILE, 0, &path) == FcResultMatch
            ? faceInFile(reinterpret_cast<const char*>(path), static_cast<std::uint32_t>(index) & 0xFFFF)
            : std::nullopt;
    return face ? describedFace(*face, name) : describedFromPattern(font.get(), name);
}

class FontconfigDescriber final : public FontDescriber {
public:
    FontDescription describe(const std::string& family) const override
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_described.find(family);
        if (known != m_described.end())
            return known->second;
        // Loaded once and kept: loading the configuration costs more than describing a font.
        if (!m_config)
            m_config.reset(FcInitLoadConfigAndFonts());
        FontDescription description =
            m_config ? describeWithConfig(m_config.get(), family) : plainFontDescription(family);
        m_described.emplace(family, description);
        return description;
    }

private:
    mutable std::mutex m_mutex;
    mutable ConfigPtr m_config{nullptr, FcConfigDestroy};
    mutable std::map<std::string, FontDescription> m_described;
};

} // namespace

const FontDescriber& installedFonts()
{
    static const FontconfigDescriber describer;
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
