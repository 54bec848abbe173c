#include "platform/posix/WildcardMatch.h"

#include "common/AsciiCase.h"

namespace glyphmere::platform::posix {
namespace {

bool sameLetter(char a, char b) { return common::toLowerAscii(a) == common::toLowerAscii(b); }

// Plain '*' and '?' matching; after a mismatch the last '*' takes one more character.
bool matchesGlob(std::string_view name, std::string_view pattern)
{
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isThreeLiteralCharacters(std::string_view extension)
{
    return extension.size() == 3 && extension.find_first_of("*?") == std::string_view::npos;
}

// A short alternative name keeps the first three characters of a longer extension.
bool matchesThroughShortExtension(std::string_view name, std::string_view pattern)
{
    const std::size_t patternDot = pattern.rfind('.');
    const std::size_t nameDot = name.rfind('.');
    if (patternDot == std::string_view::npos || nameDot == std::string_view::npos)
        return false;
    const std::string_view patternExtension = pattern.substr(patternDot + 1);
    const std::string_view nameExtension = name.substr(nameDot + 1);
    if (!isThreeLiteralCharacters(patternExtension) || nameExtension.size() <= 3)
        return false;
    return matchesGlob(nameExtension.substr(0, 3), patternExtension) &&
           matchesGlob(name.substr(0, nameDot), pattern.substr(0, patternDot));
}

} // namespace

bool matchesWildcard(std::string_view name, std::string_view pattern)
{
    if (pattern.empty() || pattern == "*.*")
        return true;
    return matchesGlob(name, pattern) || matchesThroughShortExtension(name, pattern);
}

} // namespace glyphmere::platform::posix
