#include "docengine/session/FontNames.h"

#include "docengine/session/FontValues.h"

#include "common/AsciiCase.h"
#include "common/Utf8.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace glyphmere::docengine {
namespace {

bool isEnglish(const std::string& language) { return language == "en" || language.starts_with("en-"); }

const std::string* preferredName(const std::vector<LocalizedFamily>& families)
{
    if (families.empty())
        return nullptr;
    for (const LocalizedFamily& family : families) {
        if (isEnglish(family.language))
            return &family.name;
    }
    return &families.front().name;
}

std::vector<LocalizedFamily> familiesOf(FcPattern* pattern)
{
    std::vector<LocalizedFamily> families;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        FcChar8* language = nullptr;
        const bool hasLanguage = FcPatternGetString(pattern, FC_FAMILYLANG, i, &language) == FcResultMatch;
        families.push_back(
            {reinterpret_cast<const char*>(name), hasLanguage ? reinterpret_cast<const char*>(language) : ""});
    }
    return families;
}

} // namespace

std::vector<std::string> selectFontNames(const std::vector<std::vector<LocalizedFamily>>& fonts)
{
    std::vector<std::pair<std::string, std::string>> keyed; // lower-cased key, name
    for (const auto& families : fonts) {
        const std::string* name = preferredName(families);
        const auto length = name ? common::utf16Length(*name) : std::nullopt;
        if (!name || name->empty() || name->front() == '@' || !length || *length > kMaxFontNameLength)
            continue;
        keyed.emplace_back(common::toLowerAscii(*name), *name);
    }
    // Sorted by key, then by name, so the name kept of a case-insensitive pair does not depend on order.
    std::sort(keyed.begin(), keyed.end());
    keyed.erase(
        std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& entry : keyed)
        names.push_back(std::move(entry.second));
    return names;
}

std::vector<std::string> installedFontNames()
{
    using PatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;
    using ObjectSetPtr = std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)>;
    using FontSetPtr = std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)>;
    using ConfigPtr = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;
    // A configuration of our own, freed after use: the library's default one is never freed, and a leak
    // checker reports what it holds.
    ConfigPtr config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
    PatternPtr pattern(FcPatternCreate(), FcPatternDestroy);
    ObjectSetPtr objects(FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr), FcObjectSetDestroy);
    if (!config || !pattern || !objects)
        return {};
    FontSetPtr fonts(FcFontList(config.get(), pattern.get(), objects.get()), FcFontSetDestroy);
    if (!fonts)
        return {};
    std::vector<std::vector<LocalizedFamily>> families;
    for (int i = 0; i < fonts->nfont; ++i)
        families.push_back(familiesOf(fonts->fonts[i]));
    return selectFontNames(families);
}

} // namespace glyphmere::docengine
