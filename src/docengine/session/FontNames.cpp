#include "docengine/session/FontNames.h"

#include "docengine/session/FontValues.h"

#include "common/AsciiCase.h"
#include "common/Utf8.h"

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

std::vector<std::string> installedFontNames() { return selectFontNames(installedFamilies()); }

} // namespace glyphmere::docengine
