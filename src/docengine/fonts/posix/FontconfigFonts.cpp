#include "docengine/fonts/SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace glyphmere::docengine {

namespace {

using ConfigPtr = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;
using PatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;
using ObjectSetPtr = std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)>;
using FontSetPtr = std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)>;

const FcChar8* fcText(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }
const char* plainText(const FcChar8* text) { return reinterpret_cast<const char*>(text); }

std::vector<LocalizedFamily> familiesOf(FcPattern* pattern)
{
    std::vector<LocalizedFamily> families;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        FcChar8* language = nullptr;
        const bool hasLanguage = FcPatternGetString(pattern, FC_FAMILYLANG, i, &language) == FcResultMatch;
        families.push_back({plainText(name), hasLanguage ? plainText(language) : ""});
    }
    return families;
}

// The matched font's family name that equals family without regard to case; nullptr when fontconfig
// offered another family as a substitute.
const char* installedFamily(FcPattern* font, const std::string& family)
{
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, fcText(family)) == 0)
            return plainText(name);
    }
    return nullptr;
}

InstalledFace faceOf(FcPattern* font, const char* family)
{
    InstalledFace face;
    face.family = family;
    FcChar8* path = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &path) == FcResultMatch)
        face.filePath = plainText(path);
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    // The low 16 bits of the index are the face in a collection; the high ones name a variable instance.
    face.faceIndex = static_cast<std::uint32_t>(index) & 0xFFFF;
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
    face.fixedPitch = spacing == FC_MONO || spacing == FC_CHARCELL;
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch)
        face.weight = static_cast<std::uint16_t>(std::clamp(FcWeightToOpenType(weight), 0, 1000));
    return face;
}

std::optional<InstalledFace> findWithConfig(FcConfig* config, const std::string& family)
{
    const PatternPtr pattern(FcPatternCreate(), FcPatternDestroy);
    if (!pattern || !FcPatternAddString(pattern.get(), FC_FAMILY, fcText(family)))
        return std::nullopt;
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const PatternPtr font(FcFontMatch(config, pattern.get(), &result), FcPatternDestroy);
    const char* name = font ? installedFamily(font.get(), family) : nullptr;
    if (!name)
        return std::nullopt;
    return faceOf(font.get(), name);
}

} // namespace

std::vector<std::vector<LocalizedFamily>> installedFamilies()
{
    // A configuration of our own, freed after use: the library's default one is never freed, and a leak
    // checker reports what it holds.
    const ConfigPtr config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
    const PatternPtr pattern(FcPatternCreate(), FcPatternDestroy);
    const ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr), FcObjectSetDestroy);
    if (!config || !pattern || !objects)
        return {};
    const FontSetPtr fonts(FcFontList(config.get(), pattern.get(), objects.get()), FcFontSetDestroy);
    if (!fonts)
        return {};
    std::vector<std::vector<LocalizedFamily>> families;
    for (int i = 0; i < fonts->nfont; ++i)
        families.push_back(familiesOf(fonts->fonts[i]));
    return families;
}

std::optional<InstalledFace> findInstalledFace(const std::string& family)
{
    static std::mutex mutex;
    // Loaded once and kept: loading the configuration costs more than finding a font.
    static ConfigPtr config{nullptr, FcConfigDestroy};
    const std::lock_guard lock(mutex);
    if (!config)
        config.reset(FcInitLoadConfigAndFonts());
    return config ? findWithConfig(config.get(), family) : std::nullopt;
}

bool sameFontName(const std::string& a, const std::string& b)
{
    // fontconfig folds case by Unicode's case folding, not only for ASCII.
    return FcStrCmpIgnoreCase(fcText(a), fcText(b)) == 0;
}

} // namespace glyphmere::docengine
