#include "batch/FontNameNote.h"

#include "common/AsciiCase.h"

#include <algorithm>
#include <numeric>

namespace glyphmere::batch {
namespace {

bool sameLetter(char a, char b) { return common::toLowerAscii(a) == common::toLowerAscii(b); }

// Letters to add, drop, change, or swap with their neighbour, to turn a into b.
std::size_t typingDistance(const std::string& a, const std::string& b)
{
    // Three rows of the table: two back (for a swap), one back and the current one.
    std::vector<std::size_t> previous2(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = sameLetter(a[i - 1], b[j - 1]) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
            if (i > 1 && j > 1 && sameLetter(a[i - 1], b[j - 2]) && sameLetter(a[i - 2], b[j - 1]))
                current[j] = std::min(current[j], previous2[j - 2] + 1);
        }
        std::swap(previous2, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::string quotedList(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "\"" : ", \"") + name + "\"";
    return text;
}

} // namespace

std::vector<std::string> closestFontNames(const std::string& name, const std::vector<std::string>& installed,
                                          std::size_t most)
{
    // A third of the name may be mistyped, and two slips in any name.
    const std::size_t allowed = std::max<std::size_t>(2, name.size() / 3);
    std::vector<std::pair<std::size_t, std::size_t>> ranked; // distance (a name's beginning ranks last), index
    for (std::size_t index = 0; index < installed.size(); ++index) {
        const std::size_t distance = typingDistance(name, installed[index]);
        if (distance <= allowed)
            ranked.emplace_back(distance, index);
        else if (common::startsWithIgnoringCase(installed[index], name))
            ranked.emplace_back(allowed + 1, index);
    }
    std::stable_sort(ranked.begin(), ranked.end());
    std::vector<std::string> closest;
    for (std::size_t i = 0; i < std::min(most, ranked.size()); ++i)
        closest.push_back(installed[ranked[i].second]);
    return closest;
}

std::optional<std::string> fontNameNote(const std::string& option, const std::string& name,
                                        const std::vector<std::string>& installed)
{
    const auto isName = [&name](const std::string& each) { return common::equalsIgnoringCase(each, name); };
    if (std::any_of(installed.begin(), installed.end(), isName))
        return std::nullopt;
    const std::vector<std::string> closest = closestFontNames(name, installed);
    const std::string nearest =
        closest.empty() ? "no installed family has a similar name" : "closest installed: " + quotedList(closest);
    return option + " \"" + name + "\" is not an installed font family (" + nearest + "); it is applied as given.";
}

} // namespace glyphmere::batch
