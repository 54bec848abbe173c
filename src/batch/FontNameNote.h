#pragma once

#include <optional>
#include <string>
#include <vector>

namespace glyphmere::batch {

// The installed names nearest to name, at most `most` of them, nearest first (equals in list order): those
// a few typing slips away (letters added, dropped, changed or swapped; case ignored as the font list
// ignores it) and those that begin with name.
std::vector<std::string> closestFontNames(const std::string& name, const std::vector<std::string>& installed,
                                          std::size_t most = 3);

// The note for a font name given with option that is not one of the installed families (compared as
// the font list compares names: ASCII case ignored), naming the closest ones; nothing when it is
// installed. Documents may be restyled for another machine's fonts, so the name is applied anyway.
std::optional<std::string> fontNameNote(const std::string& option, const std::string& name,
                                        const std::vector<std::string>& installed);

} // namespace glyphmere::batch
